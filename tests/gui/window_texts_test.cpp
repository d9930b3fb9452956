// Every window's texts as the operator reads them, in English and Polish (and, run again by CTest,
// at 150 % scaling): no text that went through the wrong encoding, no caption, label or button
// text cut off by the control that holds it.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QRegularExpression>

#include "common/lang_table.h"
#include "dialogs/info_f.h"
#include "dialogs/ogolne_f.h"
#include "dialogs/port_s.h"
#include "dialogs/progwer_f.h"
#include "dialogs/room_f.h"
#include "dialogs/transd_f.h"
#include "dialogs/wiadomosc.h"
#include "dialogs/witryna.h"
#include "files/language_file.h"
#include "window_harness.h"

using namespace r4860;
using testing::Harness;

namespace {

// UTF-8 read as Latin-1 leaves C1 controls or a lead byte's letter before a continuation byte's.
bool Mojibake(const QString& text) {
    static const QRegularExpression broken(QStringLiteral(u"[\u0080-\u009F\uFFFD]|[\u00C2-\u00C5\u00E2][\u0080-\u00BF]"));
    return text.contains(broken);
}

// What `root` shows that is garbled or does not fit, one line per finding.
QString Problems(QWidget& root) {
    // Texts set just now are laid out at the next turns of the event loop, one level of nested
    // layouts per turn: a fixed wait is a single turn when the machine is busy.
    for (int turn = 0; turn < 8; ++turn) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }
    QStringList found;
    const auto check = [&](const QObject* where, const QString& text, bool fits) {
        if (Mojibake(text)) found << where->objectName() + QStringLiteral(" garbled: ") + text;
        if (!fits) found << where->objectName() + QStringLiteral(" cut: ") + text;
    };
    check(&root, root.windowTitle(), true);
    for (QWidget* w : root.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&root)) continue;
        const QFontMetrics fm(w->font());
        if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap()) {
            const QRect need = fm.boundingRect(QRect(0, 0, 10000, 10000), 0, label->text());
            check(label, label->text(), need.width() <= label->contentsRect().width());
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            check(button, button->text(), button->text().isEmpty() || button->sizeHint().width() <= button->width() + 1);
            check(button, button->toolTip(), true);
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            check(group, group->title(), fm.horizontalAdvance(group->title()) + 16 <= group->width());
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i) check(combo, combo->itemText(i), true);
        }
        if (!qobject_cast<QAbstractButton*>(w)) check(w, w->toolTip(), true);
    }
    for (const QAction* action : root.findChildren<QAction*>()) check(action, action->text(), true);
    return found.join(QLatin1Char('\n'));
}

}  // namespace

class WindowTextsTest : public QObject {
    Q_OBJECT
private slots:
    // The font r4860 runs with.
    void initTestCase() { QApplication::setFont(QFont(QStringLiteral("Arial"), 9)); }
    void cleanup() { UseEnglishTable(); }

    void readAndFitInEveryView_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << "English";
        QTest::newRow("Polish") << "Polski";
    }
    void readAndFitInEveryView() {
        QFETCH(QString, language);
        std::string lang = language.toStdString();
        if (lang != "English") QVERIFY(files::LoadLanguage(lang, files::DataSearchDirs()));
        Harness h(testing::SimOptions{});
        h.window->FormLang();
        QVERIFY(h.tickUntilConnected());
        QVERIFY(h.transfer([&] { h.window->OdczytajTClick(); }));
        QCOMPARE(Problems(*h.window), QString());
        // The diagram, saving its results, and Monitor only.
        testing::TempDir dir;
        h.files.saved << QString::fromStdString((dir.path() / "log").string());
        h.window->Wykres1Click();
        h.window->Zapiszjako1Click();
        QVERIFY(h.window->logSaving());
        QCOMPARE(Problems(*h.window), QString());
        h.window->Wykres1Click();
        h.window->MonOnly1Click();
        QCOMPARE(Problems(*h.window), QString());
        h.window->MonOnly1Click();

        // The dialogs, each as it opens.
        testing::RecordingMessages messages;
        std::string device = "R4747";
        dialogs::TPortS ports(h.window->transducer(), h.context.settings, messages, {});
        dialogs::TOgolneF options(h.context.settings, messages, {});
        dialogs::TTransdF types(device, model::DefaultModelList(), messages, {});
        dialogs::TRoomF room(h.context.record, messages, {});
        dialogs::TInfoF info({});
        dialogs::TProgwerF version({});
        dialogs::Twitryna splash({});
        dialogs::TWiadomosc progress(dialogs::TWiadomosc::Mode::Progress, h.context.settings, {});
        dialogs::TWiadomosc password(dialogs::TWiadomosc::Mode::Password, h.context.settings, {});
        for (QDialog* dialog : std::initializer_list<QDialog*>{&ports, &options, &types, &room, &info, &version,
                                                               &splash, &progress, &password}) {
            dialog->show();
            QCOMPARE(Problems(*dialog), QString());
            // A dialog says which decorations it has, and nothing to minimise or maximise is among them.
            const Qt::WindowFlags flags = dialog->windowFlags();
            QVERIFY2(flags & (Qt::CustomizeWindowHint | Qt::FramelessWindowHint), qPrintable(dialog->objectName()));
            QVERIFY2(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)),
                     qPrintable(dialog->objectName()));
            dialog->hide();
        }
    }
};

QTEST_MAIN(WindowTextsTest)
#include "window_texts_test.moc"
