// The diagram against the emulator: what one step plots and logs, the filter-limit lines and the
// read they need, the marks of the diagram button and menu item, and its controls.
#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "charts/xy_chart.h"
#include "common/lang_table.h"
#include "window_harness.h"

using namespace r4860;
using mainwindow::TR4860F;
using testing::Harness;

namespace {

// The chart's interval and the diagram's clock made by hand, so that a tick lands where a test wants.
struct HandClock {
    explicit HandClock(Harness& harness) : h(harness) {
        h.find<charts::TXYChart>("XYChart1")->setClock([this] { return now; });
        h.window->setDiagramClock([this] { return ms; });
    }
    void tickAt(int atMs, const char* pulse = nullptr) {
        if (pulse) h.sim->control(std::string("pulse ") + pulse);
        h.sim->waitFrames(2);
        now = std::chrono::steady_clock::time_point{} + std::chrono::milliseconds(atMs);
        ms = atMs;
        h.window->Timer1Timer();
    }
    Harness& h;
    std::chrono::steady_clock::time_point now{};
    std::int64_t ms = 0;
};

}  // namespace

class DiagramViewTest : public QObject {
    Q_OBJECT
private slots:
    void init() { UseEnglishTable(); }

    void diagramPlotsColoursAndLogs() {
        Harness h(testing::SimOptions{});
        testing::TempDir dir;
        QVERIFY(h.tickUntilConnected());
        h.click("Wykres1T");
        QVERIFY(h.window->diagramShown());
        QCOMPARE(h.window->timer1()->interval(), 200);
        auto* chart = h.find<charts::TXYChart>("XYChart1");
        HandClock clock(h);
        const QString log = QString::fromStdString((dir.path() / "run").string());
        h.files.saved << log;
        h.find<QAction>("Zapiszjako1")->trigger();
        QVERIFY(h.window->logSaving());
        clock.tickAt(1000);
        clock.tickAt(2000);
        // Yellow, aqua, red, the interval elapsing at the red one: one point, aqua.
        clock.tickAt(2400, "new-average");
        clock.tickAt(2800, "large-error");
        QCOMPARE(chart->count(), 2);
        clock.tickAt(3000);
        QCOMPARE(chart->count(), 3);
        QCOMPARE(QColor::fromRgba(chart->lastPoint().rgb), QColor(0, 255, 255));
        QCOMPARE(h.find<QLabel>("WykresTimeT")->text(), QStringLiteral("00:00:03"));

        QFile file(log + QStringLiteral(".txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 4 + 3 + 1);  // the header, a row per plotted point, each ended
        QVERIFY(lines[4].startsWith(QStringLiteral("+1.00\t")));
        QVERIFY(lines[6].startsWith(QStringLiteral("+3.00\t")));
        QCOMPARE(lines[6].count(QLatin1Char('\t')), 2);

        // The log deleted under the tool: saving stops with the message.
        QVERIFY(QFile::remove(log + QStringLiteral(".txt")));
        clock.tickAt(4000);
        QVERIFY(!h.window->logSaving());
        QCOMPARE(h.messages.texts().last(), QStringLiteral("Cannot open file:\n") + log + QStringLiteral(".txt"));

        // Filter limits on a 0..100 range with no filter band and a 10 % threshold: two red lines.
        h.context.state.ConfigRead = true;
        h.context.record.Parametry.MinInput = 0;
        h.context.record.Parametry.MaxInput = 100;
        h.context.record.Parametry.FiltrZakres = 0;
        h.context.record.Parametry.FiltrLimit = 10;
        h.find<QCheckBox>("ShowFilterCB")->click();
        const double last = chart->lastPoint().value;
        std::vector<std::pair<double, QColor>> lines2;
        double value = -1e300;
        QColor colour;
        for (int line = 0; line < 10; ++line) {
            const bool finished = chart->OnNeedLinesY(line, value, colour);
            if (value != -1e300) lines2.emplace_back(value, colour);
            if (finished) break;
        }
        QCOMPARE(lines2.size(), 2u);
        QCOMPARE(lines2[0].first, last + 10);
        QCOMPARE(lines2[1].first, last - 10);
        QCOMPARE(lines2[1].second, QColor(255, 0, 0));
        h.find<QPushButton>("WykresExitB")->click();
        QVERIFY(!h.window->diagramShown());
        QCOMPARE(h.window->timer1()->interval(), 500);
    }

    // The button's mark is the diagram shown, whatever a click or a refused command did to it;
    // a read started from the diagram shows its progress in the status bar the diagram hides.
    void theDiagramButtonStaysMarkedWhileTheDiagramShows() {
        Harness h(testing::SimOptions{});
        QVERIFY(h.tickUntilConnected());
        auto* button = h.find<QToolButton>("Wykres1T");
        auto* item = h.find<QAction>("Wykres1");
        h.click("Wykres1T");
        for (int i = 0; i < 3; ++i) {
            h.sim->waitFrames(1);
            h.window->Timer1Timer();
        }
        QVERIFY(button->isChecked() && item->isChecked());
        // Clicked during a transfer: refused, and the mark says what is shown.
        QSignalSpy done(h.window.get(), &TR4860F::transferFinished);
        auto* bar = h.find<QWidget>("StatusBar1");
        QVERIFY(!bar->isVisible());
        h.window->OdczytajTClick();
        QVERIFY(bar->isVisible() && h.find<QProgressBar>("ProgressBar1")->isVisible());
        item->trigger();
        QVERIFY(h.window->diagramShown() && item->isChecked() && button->isChecked());
        QVERIFY(done.wait(30000));
        QVERIFY(!bar->isVisible());
        item->trigger();
        QVERIFY(!h.window->diagramShown() && !item->isChecked() && !button->isChecked());
    }

    // Filter limits when the configuration cannot be read: one message, the box cleared, and the
    // sample that asked for it plotted with the clock moving on.
    void filterLimitsWithoutAConfigurationFailOnce() {
        Harness h(testing::SimOptions{});
        QVERIFY(h.tickUntilConnected());
        h.window->Wykres1Click();
        HandClock clock(h);
        h.context.state.ConfigRead = true;
        h.find<QCheckBox>("ShowFilterCB")->click();
        h.context.state.ConfigRead = false;
        QCOMPARE(h.sim->control("eeprom-error on"), std::string("ok"));
        auto* chart = h.find<charts::TXYChart>("XYChart1");
        for (int second = 1; second <= 4; ++second) clock.tickAt(second * 1000);
        QCOMPARE(h.messages.texts(), QStringList{QStringLiteral("EEPROM error!")});
        QVERIFY(!h.find<QCheckBox>("ShowFilterCB")->isChecked());
        QVERIFY(chart->count() >= 3);
        QCOMPARE(h.find<QLabel>("WykresTimeT")->text(), QStringLiteral("00:00:04"));
    }

    void theIntervalTakesEnterAndResultsStartInTheDataFolder() {
        Harness h(testing::SimOptions{});
        testing::TempDir data;
        h.context.settings.DataDir = data.path().string();
        QVERIFY(h.tickUntilConnected());
        h.window->Wykres1Click();
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        auto* interval = h.find<QLineEdit>("WykresIntE");
        interval->setFocus();
        QTest::keyClick(interval, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), h.find<QWidget>("WykresExitB"));
        h.find<QAction>("Zapiszjako1")->trigger();
        QCOMPARE(h.files.proposals, QStringList{QString::fromStdString((data.path() / "No_name").string())});
    }
};

QTEST_MAIN(DiagramViewTest)
#include "diagram_view_test.moc"
