// The sensor selection, conversion and table windows driven through their widgets: what OK leaves
// in the record, the conversion windows inside a selection, the Select command from the main
// window through to the emulator's memory, and Cancel putting everything back.
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <fstream>

#include "common/date_text.h"
#include "common/lang_table.h"
#include "dialogs/conversion_f.h"
#include "mainwindow/selection_dialogs.h"
#include "model/config_image.h"
#include "window_harness.h"

using namespace r4860;
using workflow::DialogResult;
using workflow::SelectionWindow;

namespace {

model::ConfigRecord Pt100Record() {
    model::ConfigRecord rec;
    model::SetEmptyRecord(rec);
    rec.Czujnik = {1, 3, 0, 2};
    rec.Device = "R4747";
    rec.Parametry.MinInput = 0.0;
    rec.Parametry.MaxInput = 100.0;
    rec.Parametry.FiltrZakres = 50;
    rec.Parametry.Jednostki = 8;
    return rec;
}

// Clicks the named buttons of `window` in order (a tab by its page's name).
void ClickAll(QWidget* window, const QStringList& names) {
    for (const QString& name : names) {
        if (auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("PageControl"))) {
            if (QWidget* page = tabs->findChild<QWidget*>(name); page != nullptr && tabs->indexOf(page) >= 0) {
                tabs->setCurrentWidget(page);
                continue;
            }
        }
        auto* button = window->findChild<QAbstractButton*>(name);
        QVERIFY2(button != nullptr, qPrintable(name));
        QVERIFY2(button->isEnabled(), qPrintable(name));
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
    }
}

// Runs `script` on the modal window that opens next, once it is up.
void WhenModal(const std::function<void(QWidget*)>& script) {
    QTimer::singleShot(0, [script] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal != nullptr);
        script(modal);
        if (modal->isVisible()) modal->hide();  // a failed script must not hang the test
    });
}

void Type(QWidget* window, const char* edit, const QString& text) {
    auto* e = window->findChild<QLineEdit*>(QLatin1String(edit));
    QVERIFY2(e != nullptr, edit);
    e->setFocus();
    e->setText(text);
    QTest::keyClick(e, Qt::Key_Return);
}

struct Expect {
    model::CzujnikGroup codes;
    int unit;
    double min, max;
    int filter;
};

}  // namespace

Q_DECLARE_METATYPE(SelectionWindow)
Q_DECLARE_METATYPE(Expect)

class SensorDialogsTest : public QObject {
    Q_OBJECT
    testing::TempDir m_data;
    workflow::AppContext m_ctx;
    testing::RecordingMessages m_messages;

    std::unique_ptr<dialogs::SelectionDialog> make(SelectionWindow w, model::ConfigRecord& rec, int model,
                                                   dialogs::OpenFileDialog files = {}) {
        return mainwindow::MakeSelectionWindow(w, rec, model, m_ctx, m_messages, std::move(files), nullptr);
    }

private slots:
    void initTestCase() { qputenv("XDG_DATA_HOME", QByteArray::fromStdString(m_data.path().string())); }
    void init() {
        UseEnglishTable();
        m_messages.clear();
    }

    void okWritesTheChoice_data() {
        QTest::addColumn<SelectionWindow>("window");
        QTest::addColumn<int>("model");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<Expect>("expect");
        using S = SelectionWindow;
        // Only the connection changed: range and filter stay.
        QTest::newRow("Pt100 2-wire") << S::TWybor << 47 << QStringList{"W2"} << Expect{{1, 2, 0, 2}, 8, 0, 100, 50};
        QTest::newRow("Ni100") << S::TWybor << 47 << QStringList{"Ni100"} << Expect{{3, 3, 0, 2}, 8, -60, 180, 0};
        QTest::newRow("Pt1000") << S::TWybor << 48 << QStringList{"R1000", "W4"} << Expect{{1, 4, 3, 2}, 8, -100, 400, 0};
        QTest::newRow("K, difference") << S::TWybor << 47 << QStringList{"ThTab", "ThK", "TempDiff", "ThLin"}
                                       << Expect{{10, 5, 0, 1}, 8, -150, 1370, 0};
        QTest::newRow("ohm 2-wire") << S::TWyborRV << 47 << QStringList{"ResistanceTab", "W2"}
                                    << Expect{{5, 2, 0, 1}, 5, 0, 2500, 0};
        QTest::newRow("mV") << S::TWyborRV << 47 << QStringList{"VoltageTab"} << Expect{{16, 5, 0, 1}, 2, -1000, 1000, 0};
        QTest::newRow("mA double") << S::TWyborI << 20 << QStringList{"W3"} << Expect{{17, 8, 0, 1}, 4, 0, 20, 0};
        QTest::newRow("V") << S::TWyborIV << 39 << QStringList{"VoltTab"} << Expect{{18, 5, 0, 1}, 1, -11, 11, 0};
    }
    void okWritesTheChoice() {
        QFETCH(SelectionWindow, window);
        QFETCH(int, model);
        QFETCH(QStringList, clicks);
        QFETCH(Expect, expect);
        model::ConfigRecord rec = Pt100Record();
        const auto dialog = make(window, rec, model);
        dialog->show();
        ClickAll(dialog.get(), clicks + QStringList{"OKButt"});
        QCOMPARE(dialog->result(), DialogResult::Ok);
        QCOMPARE(rec.Czujnik, expect.codes);
        QCOMPARE(rec.Parametry.Jednostki, expect.unit);
        QCOMPARE(rec.Parametry.MinInput, expect.min);
        QCOMPARE(rec.Parametry.MaxInput, expect.max);
        QCOMPARE(rec.Parametry.FiltrZakres, expect.filter);
        QVERIFY(rec.Informacje.data == DateText(TodayDays()));
    }

    void fourWiresOnlyWhereTheModelHasThem() {
        for (const int model : {47, 48}) {
            for (const SelectionWindow w : {SelectionWindow::TWybor, SelectionWindow::TWyborRV}) {
                model::ConfigRecord rec = Pt100Record();
                const auto dialog = make(w, rec, model);
                QCOMPARE(dialog->findChild<QAbstractButton*>(QStringLiteral("W4"))->isEnabled(), model == 48);
            }
        }
    }

    void moreHandsOverAndCancelWritesNothing() {
        model::ConfigRecord rec = Pt100Record();
        const model::ConfigRecord before = rec;
        auto dialog = make(SelectionWindow::TWybor, rec, 47);
        ClickAll(dialog.get(), {"Cu100", "MoreB"});
        QCOMPARE(dialog->result(), DialogResult::More);
        dialog = make(SelectionWindow::TWyborRV, rec, 47);
        ClickAll(dialog.get(), {"ResistanceTab", "W2", "CancelButt"});
        QCOMPARE(dialog->result(), DialogResult::Cancel);
        QCOMPARE(rec.Czujnik, before.Czujnik);
        QCOMPARE(rec.Parametry, before.Parametry);
    }

    void thermocoupleWithoutCompensationAsksForTheColdJunction() {
        model::ConfigRecord rec = Pt100Record();
        const auto dialog = make(SelectionWindow::TWybor, rec, 47);
        ClickAll(dialog.get(), {"ThTab", "ThJ", "CJC"});  // CJC was on: now off, mode 6
        WhenModal([](QWidget* roomT) {
            QCOMPARE(roomT->objectName(), QStringLiteral("TRoomF"));
            Type(roomT, "RoomtE", QStringLiteral("31,5"));
            ClickAll(roomT, {"RoomtB"});
        });
        ClickAll(dialog.get(), {"OKButt"});
        QCOMPARE(rec.Czujnik.Tryb, std::uint8_t{6});
        QCOMPARE(rec.Parametry.RoomT, 31.5);
    }

    // A linear conversion confirmed inside TWyborI, and one cancelled falling back to "none".
    void conversionWindowsInsideTheSelection() {
        model::ConfigRecord rec = Pt100Record();
        auto dialog = make(SelectionWindow::TWyborI, rec, 20);
        WhenModal([](QWidget* lina) {
            QCOMPARE(lina->objectName(), QStringLiteral("TLinaF"));
            Type(lina, "InMinE", QStringLiteral("4"));
            Type(lina, "ResMinE", QStringLiteral("0"));
            Type(lina, "ResMaxE", QStringLiteral("100"));
            ClickAll(lina, {"TablOKB"});
        });
        ClickAll(dialog.get(), {"RLina"});
        QVERIFY(dialog->findChild<QAbstractButton*>(QStringLiteral("RLina"))->isChecked());
        QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("InputIT"))->text(), QStringLiteral("4...20 mA"));
        ClickAll(dialog.get(), {"OKButt"});
        QCOMPARE(rec.Czujnik.Lin, std::uint8_t{4});
        QCOMPARE(rec.LinCoef[1], 6.25);
        QCOMPARE(rec.LinCoef[0], -25.0);
        QCOMPARE(rec.LiveRanges[15].high, 1000);
        QCOMPARE(rec.Parametry.MaxInput, 100.0);

        dialog = make(SelectionWindow::TWyborI, rec, 20);
        WhenModal([](QWidget* power) { ClickAll(power, {"TablExitB"}); });
        ClickAll(dialog.get(), {"RLins"});
        QVERIFY(dialog->findChild<QAbstractButton*>(QStringLiteral("RnoLin"))->isChecked());
        QCOMPARE(rec.LinCoef[1], 6.25);  // Exit of the series window put the coefficients back
    }

    // The user sensor takes its table in the table window; without a confirmed table the type
    // chosen before comes back.
    void userSensorTakesItsTable() {
        testing::TempDir dir;
        const auto file = dir.path() / "user.dat";
        std::ofstream(file) << "0 0\n100 4\n200 8\n";
        model::ConfigRecord rec = Pt100Record();
        const auto dialog = make(SelectionWindow::TWybor, rec, 47, [&](QWidget*, const QString&, const QString&) {
            return QString::fromStdString(file.string());
        });
        WhenModal([](QWidget* table) { ClickAll(table, {"TablExitB"}); });
        ClickAll(dialog.get(), {"ThTab", "ThU"});
        QVERIFY(dialog->findChild<QAbstractButton*>(QStringLiteral("ThB"))->isChecked());
        WhenModal([](QWidget* table) { ClickAll(table, {"TablLoadB", "TablOKB"}); });
        ClickAll(dialog.get(), {"ThU", "OKButt"});
        QCOMPARE(rec.Czujnik.Typ, std::uint8_t{15});
        QVERIFY(rec.TableLoaded);
        QCOMPARE(rec.Parametry.MaxInput, 200.0);
    }

    void powerSeriesCheckRefusesAFlatSeries() {
        model::ConfigRecord rec = Pt100Record();
        workflow::PrepareConversionWindow(rec, 17);
        dialogs::TPowerF power(rec, m_messages, {});
        power.show();
        auto* ok = power.findChild<QPushButton*>(QStringLiteral("TablOKB"));
        Type(&power, "A1E", QStringLiteral("0"));
        ClickAll(&power, {"TablOKB"});
        QVERIFY(m_messages.texts().join(QLatin1Char('|')).contains(QStringLiteral("not monotonic")));
        QCOMPARE(ok->text(), QStringLiteral("Check"));
        QCOMPARE(power.focusWidget(), power.findChild<QWidget*>(QStringLiteral("A0E")));
        Type(&power, "A1E", QStringLiteral("2"));
        ClickAll(&power, {"TablOKB"});
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QCOMPARE(power.findChild<QLabel*>(QStringLiteral("ResMaxV"))->text().trimmed(), QStringLiteral("40"));
        ClickAll(&power, {"TablExitB"});
        QCOMPARE(rec.LinCoef[1], 1.0);
    }

    void tableWindowSelectsTheFailingLine() {
        testing::TempDir dir;
        const auto bad = dir.path() / "bad.dat", good = dir.path() / "good.dat";
        std::ofstream(bad) << "; t R\n0 100\n100 138.5\n50 120\n";
        std::ofstream(good) << "0 100\n100 138.5\n200 177\n";
        model::ConfigRecord rec = Pt100Record();
        workflow::PrepareConversionWindow(rec, 5);
        QStringList chosen{QString::fromStdString(bad.string()), QString::fromStdString(good.string())};
        dialogs::TTablF table(rec, m_ctx.settings, m_messages,
                              [&](QWidget*, const QString&, const QString&) { return chosen.takeFirst(); }, {});
        table.show();
        auto* ok = table.findChild<QPushButton*>(QStringLiteral("TablOKB"));
        ClickAll(&table, {"TablLoadB"});
        QCOMPARE(table.findChild<QPlainTextEdit*>()->textCursor().selectedText(), QStringLiteral("50 120"));
        QVERIFY(m_messages.texts().value(0).startsWith(QStringLiteral("Corrupted or wrong data file!")));
        QVERIFY(!ok->isEnabled());
        m_messages.clear();
        ClickAll(&table, {"TablLoadB"});
        QCOMPARE(m_messages.texts().join(QLatin1Char('|')), QString());
        ClickAll(&table, {"TablOKB"});
        QCOMPARE(table.result(), int(QDialog::Accepted));
        QVERIFY(rec.TableLoaded);
        QCOMPARE(rec.LiveRanges[15].high, 2000);
    }

    // Select from the main window, OK, Write: the new sensor is in the emulator's memory. Cancel
    // afterwards leaves the record as it was.
    void selectThenWriteReachesTheTransducer() {
        testing::Harness h(testing::SimOptions{});
        QVERIFY(h.tickUntilConnected());
        QVERIFY(h.transfer([&] { h.click("OdczytajT"); }));
        using Script = std::function<void(QWidget*)>;
        QList<Script> scripts;  // one per window, in the order they open
        mainwindow::DialogHooks hooks;
        hooks.selectSensor = [&](QWidget* parent, SelectionWindow w, model::ConfigRecord& rec, int model) {
            const auto dialog = mainwindow::MakeSelectionWindow(w, rec, model, h.context, h.messages, {}, parent);
            QTimer::singleShot(0, [&dialog, script = scripts.takeFirst()] {
                script(dialog.get());
                if (dialog->isVisible()) dialog->reject();  // a failed script must not hang the test
            });
            return dialog->run();
        };
        h.window->setDialogHooks(hooks);
        scripts = {[](QWidget* d) { ClickAll(d, {"Ni100", "W2", "OKButt"}); }};
        h.find<QAction>("Czujniki1")->trigger();
        QCOMPARE(h.context.record.Czujnik.Typ, std::uint8_t{3});
        QVERIFY(h.transfer([&] { h.click("ZapiszT"); }));
        model::ConfigImage memory{};
        const auto bytes = h.sim->memory();
        std::copy_n(bytes.begin(), std::min(bytes.size(), memory.size()), memory.begin());
        model::ConfigRecord inDevice;
        model::DecodeImage(memory, inDevice);
        QCOMPARE(inDevice.Czujnik.Typ, std::uint8_t{3});
        QCOMPARE(inDevice.Czujnik.Tryb, std::uint8_t{2});
        QCOMPARE(inDevice.Parametry.MinInput, -60.0);

        // A conversion confirmed inside a selection that is then cancelled.
        const model::ConfigRecord before = h.context.record;
        scripts = {[](QWidget* d) { ClickAll(d, {"ThTab", "ThK", "MoreB"}); },
                   [](QWidget* d) {
                       WhenModal([](QWidget* lina) {
                           Type(lina, "ResMaxE", QStringLiteral("100"));
                           ClickAll(lina, {"TablOKB"});
                       });
                       ClickAll(d, {"ResistanceTab", "RLina", "CancelButt"});
                   }};
        h.find<QAction>("Czujniki1")->trigger();
        QCOMPARE(h.context.record.LinCoef, before.LinCoef);
        QCOMPARE(h.context.record.LiveRanges, before.LiveRanges);
        QCOMPARE(h.context.record.TableInputType, before.TableInputType);
        QCOMPARE(h.context.record.Czujnik, before.Czujnik);
        QCOMPARE(h.context.record.Parametry, before.Parametry);
        QCOMPARE(h.context.record.Informacje, before.Informacje);
    }
};

QTEST_MAIN(SensorDialogsTest)
#include "sensor_dialogs_test.moc"
