// One main window over a fresh context for the window's suites, with the real emulator on COM99
// when a transducer is wanted, scripted file choices and a recorder of beeps and boxes. Every box
// a test makes the window show must say something: a key that translates to nothing fails it.
#pragma once

#include <QAction>
#include <QLabel>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>
#include <optional>

#include "files/app_paths.h"
#include "files/par_file.h"
#include "mainwindow/main_window.h"
#include "support/recording_messages.h"
#include "support/sim_on_pty.h"
#include "support/temp_dir.h"

namespace r4860::testing {

class ScriptedFiles final : public mainwindow::FileChooser {
public:
    QString openFile(QWidget*, const QString& dir, const QString&) override {
        proposals << dir;
        return take(opened);
    }
    QString saveFile(QWidget*, const QString& proposed, const QString&) override {
        proposals << proposed;
        return take(saved);
    }
    QString chooseFolder(QWidget*, const QString&, const QString& dir) override {
        proposals << dir;
        return take(folders);
    }
    QStringList opened, saved, folders, proposals;

private:
    static QString take(QStringList& list) { return list.isEmpty() ? QString() : list.takeFirst(); }
};

inline SimOptions Model(int code) {
    SimOptions options;
    options.modelCode = code;
    return options;
}

struct Harness {
    explicit Harness(std::optional<SimOptions> simOptions) {
        if (simOptions) {
            sim = std::make_unique<SimOnPty>(*simOptions);
            files::OverrideSettingsDir(sim->dir());
            context.settings.ComPort = 99;
        }
        window = std::make_unique<mainwindow::TR4860F>(context, messages, files);
        window->init([this] { return sim && window->transducer().start(99, files::PortsDir()).ok(); });
        // The tests tick by hand, so that every tick has a known cause.
        window->timer1()->stop();
    }
    ~Harness() {
        window.reset();
        context.link.stop();
        for (const RecordedBox& box : messages.boxes) {
            if (!box.text.contains(QRegularExpression(QStringLiteral("\\w\\w")))) {
                QTest::qFail(qPrintable(QStringLiteral("a box without words: \"%1\"").arg(box.text)), __FILE__, __LINE__);
            }
        }
    }
    template <class W>
    W* find(const char* name) const {
        return window->findChild<W*>(QLatin1String(name));
    }
    // Ticks until a sample shows (each tick after a new frame), at most `ticks` times.
    bool tickUntilConnected(int ticks = 40) {
        for (int i = 0; i < ticks && !context.state.Connected; ++i) {
            if (sim) sim->waitFrames(1);
            window->Timer1Timer();
        }
        return context.state.Connected;
    }
    QString wynik() const { return find<QLabel>("Wynikp")->text(); }
    QString panel(int i) const { return find<QLabel>(qPrintable(QStringLiteral("StatusPanel%1").arg(i)))->text().trimmed(); }
    QString status() const { return panel(0); }
    // Runs a command that starts `transfers` transfers one after the other and waits for the last.
    bool transfer(const std::function<void()>& command, int transfers = 1) {
        QSignalSpy done(window.get(), &mainwindow::TR4860F::transferFinished);
        command();
        while (done.count() < transfers) {
            if (!done.wait(30000)) return false;
        }
        return done.last().at(0).toBool();
    }
    void click(const char* button) { QTest::mouseClick(find<QToolButton>(button), Qt::LeftButton); }
    int framesWithCode(char code) const {
        int n = 0;
        for (const auto& f : sim->receivedFrames()) n += f.code() == static_cast<std::uint8_t>(code);
        return n;
    }

    std::unique_ptr<SimOnPty> sim;
    workflow::AppContext context;
    RecordingMessages messages;
    ScriptedFiles files;
    std::unique_ptr<mainwindow::TR4860F> window;
};

// A Pt100 configuration on disk, as an operator would have saved it; `typ` 15 is the user sensor.
inline QString WritePt100(const std::filesystem::path& dir, files::Settings& settings,
                          const std::string& device = "R4747", std::uint8_t typ = 1) {
    model::ConfigRecord rec;
    model::SetEmptyRecord(rec);
    rec.Czujnik = {typ, 2, 0, 1};
    rec.File = "missing.dat";
    rec.Informacje.kod = "TAG-7";
    rec.Parametry.MinInput = 0.0;
    rec.Parametry.MaxInput = 100.0;
    rec.Parametry.FiltrZakres = 123;
    rec.Parametry.FiltrLimit = 5;
    rec.Parametry.Jednostki = 8;
    rec.Device = device;
    const auto path = dir / (device + "-" + std::to_string(typ) + ".par");
    if (!files::WriteParFile(rec, path, settings).ok()) return {};
    return QString::fromStdString(path.string());
}

inline QColor Base(const QWidget* w) { return w->palette().color(QPalette::Base); }

}  // namespace r4860::testing
