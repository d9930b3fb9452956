// r4860-dialog-shots: the sensor selection, conversion and table windows as PNG files for the
// manual, in English and Polish. Run it on a display (tools/screenshots.sh runs it under Xvfb):
//   r4860-dialog-shots OUT_DIR TABLES_DIR
#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <filesystem>

#include "common/lang_table.h"
#include "dialogs/conversion_f.h"
#include "files/app_paths.h"
#include "files/language_file.h"
#include "mainwindow/selection_dialogs.h"
#include "support/recording_messages.h"
#include "shot_support.h"

using namespace r4860;

namespace {

using shots::RunFor;

bool Grab(QWidget& window, const QString& file) {
    const bool ok = shots::ShowAndGrab(window, file, 300);
    window.hide();
    return ok;
}

model::ConfigRecord Record(std::uint8_t typ, std::uint8_t tryb, std::uint8_t lin) {
    model::ConfigRecord rec;
    model::SetEmptyRecord(rec);
    rec.Czujnik = {typ, tryb, 0, lin};
    rec.Device = "R4748";
    rec.Parametry.Jednostki = 8;
    return rec;
}

bool Shots(const QString& dir, const QString& suffix, const std::filesystem::path& tables) {
    const auto file = [&](const char* name) { return dir + "/" + name + suffix + ".png"; };
    workflow::AppContext ctx;
    testing::RecordingMessages messages;
    bool ok = true;
    const auto selection = [&](workflow::SelectionWindow w, model::ConfigRecord rec, int model, const char* tab,
                               const char* name) {
        const auto dialog = mainwindow::MakeSelectionWindow(w, rec, model, ctx, messages, {}, nullptr);
        if (tab != nullptr) {
            auto* tabs = dialog->findChild<QTabWidget*>(QStringLiteral("PageControl"));
            tabs->setCurrentWidget(tabs->findChild<QWidget*>(QLatin1String(tab)));
        }
        ok = Grab(*dialog, file(name)) && ok;
    };
    using S = workflow::SelectionWindow;
    selection(S::TWybor, Record(1, 3, 2), 48, nullptr, "sensor-rtd");
    selection(S::TWybor, Record(10, 7, 2), 48, nullptr, "sensor-thermocouple");
    selection(S::TWyborRV, Record(5, 3, 1), 48, nullptr, "sensor-resistance");
    model::ConfigRecord current = Record(17, 5, 4);
    current.LinCoef = {-25.0, 6.25, 0, 0, 0, 0, 0, 0, 0, 4.0, 20.0};
    current.LiveRanges[15] = {0, 1000};
    current.Parametry.Jednostki = 9;
    selection(S::TWyborI, current, 20, nullptr, "sensor-current");
    selection(S::TWyborIV, Record(18, 5, 1), 39, nullptr, "sensor-volt-current");

    model::ConfigRecord rec = Record(17, 5, 1);
    workflow::PrepareConversionWindow(rec, 17);
    {
        dialogs::TLinaF lina(rec, messages, {});
        ok = Grab(lina, file("conversion-linear")) && ok;
    }
    {
        dialogs::TPowerF power(rec, messages, {});
        ok = Grab(power, file("conversion-power")) && ok;
    }
    workflow::PrepareConversionWindow(rec, 18);
    const QString table = QString::fromStdString((tables / "volt-horizontal-tank.dat").string());
    dialogs::TTablF tablF(rec, ctx.settings, messages, [&](QWidget*, const QString&, const QString&) { return table; },
                          {});
    ok = Grab(tablF, file("table-empty")) && ok;
    tablF.findChild<QAbstractButton*>(QStringLiteral("TablLoadB"))->click();
    ok = Grab(tablF, file("table-loaded")) && ok;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("Arial"), 9));
    if (argc < 3) {
        std::fprintf(stderr, "usage: r4860-dialog-shots OUT_DIR TABLES_DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const std::filesystem::path tables = argv[2];
    std::filesystem::create_directories(dir.toStdString());
    UseEnglishTable();
    bool ok = Shots(dir, QString(), tables);
    std::string polish = "Polski";
    ok = files::LoadLanguage(polish, files::DataSearchDirs()) && ok;
    ok = Shots(dir, QStringLiteral("-pl"), tables) && ok;
    return ok ? 0 : 1;
}
