// The small dialogs driven as the operator drives them: typed text, clicks and keys, with a
// recorder in place of the message boxes and the real emulator behind the port dialog.
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "common/lang_table.h"
#include "dialogs/info_f.h"
#include "dialogs/ogolne_f.h"
#include "dialogs/port_s.h"
#include "dialogs/progwer_f.h"
#include "dialogs/room_f.h"
#include "dialogs/transd_f.h"
#include "dialogs/witryna.h"
#include "files/app_paths.h"
#include "link/port_list.h"
#include "model/config_record.h"
#include "support/recording_messages.h"
#include "support/sim_on_pty.h"
#include "support/temp_dir.h"
#include "workflow/app_context.h"
#include "workflow/transducer.h"

using namespace r4860;
using namespace r4860::dialogs;
using r4860::testing::RecordingMessages;

namespace {

template <class T>
T* Child(QWidget& window, const char* name) {
    auto* child = window.findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) qFatal("no child %s", name);
    return child;
}

void Click(QWidget& window, const char* button) {
    QTest::mouseClick(Child<QPushButton>(window, button), Qt::LeftButton);
}

// Every key translated as "T:" + key, or all but the last key (which makes the file invalid).
void WriteLanguage(const std::filesystem::path& file, bool complete) {
    std::ofstream out(file);
    const auto keys = LangKeys();
    const std::size_t count = keys.size() - (complete ? 0 : 1);
    for (std::size_t i = 0; i < count; ++i) out << keys[i] << "=T:" << keys[i] << "\r\n";
}

// Waits for a frame the link has taken from the line since it was opened.
bool FrameArrives(protocol::Link& link) {
    protocol::Link::TakenFrame frame;
    return QTest::qWaitFor([&] { return link.takeLatestFrame(frame); }, 10000);
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { m_messages.clear(); }
    void cleanup() {
        UseEnglishTable();
        files::OverrideSettingsDir({});
    }

    void roomTakesOnlyTemperaturesInRange_data();
    void roomTakesOnlyTemperaturesInRange();
    void transdOffersTheOfferedModels_data();
    void transdOffersTheOfferedModels();
    void transdWithOneOfferedModelTakesItAtOnce();
    void optionsChangeLanguageAndPassword_data();
    void optionsChangeLanguageAndPassword();
    void optionsWithoutLanguageFilesOfferEnglish();
    void portEntriesCarryTheirNumber_data();
    void portEntriesCarryTheirNumber();
    void portDialogSwitchesAndCancelReopensTheOldPort();
    void infoWindowsCloseAsTheyShould();

private:
    RecordingMessages m_messages;
};

void DialogsTest::roomTakesOnlyTemperaturesInRange_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("stored");
    QTest::addColumn<QString>("box");  // none when the value is taken
    QTest::newRow("upper end belongs to the range") << "60" << 60.0 << "";
    QTest::newRow("lower end belongs to the range") << "-20" << -20.0 << "";
    QTest::newRow("a hundredth above is refused") << "60.01" << 25.0 << "Out of range!";
    QTest::newRow("a hundredth below is refused") << "-20.01" << 25.0 << "Out of range!";
    QTest::newRow("decimal comma") << "22,5" << 22.5 << "";
    QTest::newRow("not a number") << "2x" << 25.0 << "Wrong format!";
    QTest::newRow("empty") << "" << 25.0 << "Wrong format!";
}

void DialogsTest::roomTakesOnlyTemperaturesInRange() {
    QFETCH(QString, typed);
    QFETCH(double, stored);
    QFETCH(QString, box);
    const bool accepted = box.isEmpty();
    model::ConfigRecord record;
    TRoomF room(record, m_messages, {}, nullptr);
    room.show();
    auto* roomtE = Child<QLineEdit>(room, "RoomtE");
    roomtE->clear();
    QTest::keyClicks(roomtE, typed);
    Click(room, "RoomtB");
    QCOMPARE(record.Parametry.RoomT, stored);
    QCOMPARE(room.isVisible(), !accepted);
    QCOMPARE(m_messages.texts(), accepted ? QStringList{} : QStringList{box});
    QCOMPARE(m_messages.beeps.size(), box.startsWith(QLatin1String("Wrong")) ? 1u : 0u);
    if (!accepted) QCOMPARE(roomtE->text(), QStringLiteral("25.00"));  // the stored value is back
    // Escape must not close a window that has no Cancel.
    QTest::keyClick(&room, Qt::Key_Escape);
    QCOMPARE(room.isVisible(), !accepted);
}

void DialogsTest::transdOffersTheOfferedModels_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("preselected");
    QTest::newRow("no model yet") << "" << "R4720";
    QTest::newRow("the current model") << "R4747" << "R4747";
    QTest::newRow("a model that is not offered") << "R4749" << "R4720";
}

void DialogsTest::transdOffersTheOfferedModels() {
    QFETCH(QString, device);
    QFETCH(QString, preselected);
    std::string model = device.toStdString();
    TTransdF transd(model, model::DefaultModelList(), m_messages, {}, nullptr);
    transd.show();
    auto* list = Child<QListWidget>(transd, "WybierzL");
    QStringList offered;
    for (int i = 0; i < list->count(); ++i) offered << list->item(i)->text();
    QCOMPARE(offered, (QStringList{"R4720", "R4747"}));
    QVERIFY(list->currentItem());
    QCOMPARE(list->currentItem()->text(), preselected);

    // A double-click takes the other entry, as OK would.
    QListWidgetItem* other = list->item(preselected == QLatin1String("R4720") ? 1 : 0);
    const QPoint at = list->visualItemRect(other).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QVERIFY(!transd.isVisible());
    QCOMPARE(transd.result(), int(QDialog::Accepted));
    QCOMPARE(QString::fromStdString(model), other->text());
}

void DialogsTest::transdWithOneOfferedModelTakesItAtOnce() {
    std::string model = "R4720";
    TTransdF transd(model, {{"R4720", "?"}, {"R4748", "R4748"}, {"R4747", "?"}}, m_messages, {}, nullptr);
    transd.show();
    QTRY_VERIFY_WITH_TIMEOUT(!transd.isVisible(), 5000);
    QCOMPARE(transd.result(), int(QDialog::Accepted));
    QCOMPARE(model, std::string("R4748"));
}

void DialogsTest::optionsChangeLanguageAndPassword_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("oldPass");
    QTest::addColumn<QString>("newPass");
    QTest::addColumn<int>("outcome");  // -1: still open
    QTest::addColumn<QString>("wantLanguage");
    QTest::addColumn<QString>("wantPass");
    QTest::addColumn<QString>("box");
    constexpr int kOpen = -1, kOk = QDialog::Accepted, kCancel = QDialog::Rejected;
    QTest::newRow("nothing changed: Cancel") << "English" << "" << "" << kCancel << "English" << "mrol" << "";
    QTest::newRow("new password without the old: ignored")
        << "Testowy" << "" << "secret" << kOk << "Testowy" << "mrol" << "";
    QTest::newRow("wrong old password: still open, the language already loaded")
        << "Testowy" << "MROL" << "secret" << kOpen << "Testowy" << "mrol" << "T:Wrong t:password!";
    QTest::newRow("right old, no new one") << "English" << "mrol" << "" << kOk << "English" << "mrol" << "";
    QTest::newRow("right old and new password")
        << "English" << "mrol" << "secret" << kOk << "English" << "secret" << "";
    QTest::newRow("invalid language file: the previous one is back")
        << "Broken" << "" << "" << kOk << "English" << "mrol" << "Broken.lan file is invalid!";
}

void DialogsTest::optionsChangeLanguageAndPassword() {
    QFETCH(QString, language);
    QFETCH(QString, oldPass);
    QFETCH(QString, newPass);
    QFETCH(int, outcome);
    QFETCH(QString, wantLanguage);
    QFETCH(QString, wantPass);
    QFETCH(QString, box);
    testing::TempDir dir;
    WriteLanguage(dir / "Testowy.lan", true);
    WriteLanguage(dir / "Broken.lan", false);
    files::Settings settings;
    settings.Language = "English";
    TOgolneF options(settings, m_messages, {}, nullptr, {dir.path()});
    options.show();
    auto* list = Child<QComboBox>(options, "ListaLang");
    QCOMPARE(list->currentText(), QStringLiteral("English"));
    list->setCurrentIndex(list->findText(language));
    QTest::keyClicks(Child<QLineEdit>(options, "StareE"), oldPass);
    QTest::keyClicks(Child<QLineEdit>(options, "NoweE"), newPass);
    Click(options, "OKbutt");

    QCOMPARE(options.isVisible(), outcome < 0);
    if (outcome >= 0) QCOMPARE(options.result(), outcome);
    QCOMPARE(QString::fromStdString(settings.Language), wantLanguage);
    QCOMPARE(QString::fromStdString(LangText("Cancel")), wantLanguage == "Testowy" ? "T:Cancel" : "Cancel");
    QCOMPARE(QString::fromStdString(settings.Pass), wantPass);
    QCOMPARE(m_messages.texts(), box.isEmpty() ? QStringList{} : QStringList{box});
    if (outcome < 0) QVERIFY(Child<QLineEdit>(options, "StareE")->text().isEmpty());
}

void DialogsTest::optionsWithoutLanguageFilesOfferEnglish() {
    testing::TempDir dir;
    files::Settings settings;  // Polski, which is nowhere: nothing preselected
    TOgolneF options(settings, m_messages, {}, nullptr, {dir.path()});
    QCOMPARE(m_messages.texts(), QStringList{"No optional language (*.lan) files found!"});
    auto* list = Child<QComboBox>(options, "ListaLang");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->itemText(0), QStringLiteral("English"));
    QCOMPARE(list->currentIndex(), -1);
}

void DialogsTest::portEntriesCarryTheirNumber_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("entry");
    QTest::newRow("one digit gets a blank") << 1 << "COM 1  /dev/ttyS0  maker product";
    QTest::newRow("two digits") << 42 << "COM42  /dev/ttyS0  maker product";
    QTest::newRow("three digits") << 150 << "COM150  /dev/ttyS0  maker product";
    QTest::newRow("the highest") << 255 << "COM255  /dev/ttyS0  maker product";
}

void DialogsTest::portEntriesCarryTheirNumber() {
    QFETCH(int, number);
    QFETCH(QString, entry);
    QCOMPARE(PortEntryText({number, "/dev/ttyS0", "maker product"}), entry);
    QCOMPARE(PortNumberOfEntry(entry), number);
    for (const char* bad : {"", "COM", "LPT1", "COMx", "COM12x  /dev/x"})
        QVERIFY2(PortNumberOfEntry(QString::fromLatin1(bad)) == 0, bad);
}

// From no link to the emulator's port, then a failed switch to an unplugged one that Cancel undoes.
void DialogsTest::portDialogSwitchesAndCancelReopensTheOldPort() {
    testing::SimOnPty sim;
    QVERIFY2(sim.ok(), sim.startError().c_str());
    files::OverrideSettingsDir(sim.dir());
    std::filesystem::create_symlink(sim.dir() / "unplugged", sim.portsDir() / "COM150");
    workflow::AppContext context;
    context.settings.ComPort = 98;  // no such port: the tool started without a link
    workflow::Transducer transducer(context.link);
    {
        TPortS ports(transducer, context.settings, m_messages, {}, nullptr);
        ports.show();
        auto* list = Child<QComboBox>(ports, "ListaRS");
        QCOMPARE(context.settings.ComPort, 0);
        list->setCurrentIndex(list->findText(QStringLiteral("COM99  "), Qt::MatchStartsWith));
        Click(ports, "OKbutt");
        QTRY_VERIFY_WITH_TIMEOUT(!ports.isVisible(), 10000);
        QCOMPARE(ports.result(), int(QDialog::Accepted));
        QCOMPARE(context.settings.ComPort, 99);
        QVERIFY(FrameArrives(context.link));
        QVERIFY(m_messages.boxes.empty());
    }
    TPortS ports(transducer, context.settings, m_messages, {}, nullptr);
    ports.show();
    auto* list = Child<QComboBox>(ports, "ListaRS");
    QVERIFY(list->currentText().startsWith(QLatin1String("COM99  ")));
    list->setCurrentIndex(list->findText(QStringLiteral("COM150  "), Qt::MatchStartsWith));
    QVERIFY2(list->currentText().endsWith(QLatin1String("(device missing)")), qPrintable(list->currentText()));
    Click(ports, "OKbutt");
    auto* panel2 = Child<QFrame>(ports, "Panel2");
    QVERIFY(panel2->isVisible());
    QVERIFY(!Child<QPushButton>(ports, "Cancelbutt")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!panel2->isVisible(), 10000);
    QVERIFY(ports.isVisible());
    // Why, not only that: the entry leads to a device that is not there.
    QCOMPARE(m_messages.texts(), QStringList{QStringLiteral("COM150 initialization failed!\n%1: the device does not exist; "
                                                            "is the adapter plugged in?")
                                                 .arg(QString::fromStdString((sim.dir() / "unplugged").string()))});
    QCOMPARE(m_messages.beeps, std::vector<Beep>{Beep::Asterisk});
    QCOMPARE(context.settings.ComPort, 99);
    QVERIFY(!context.link.isOpen());

    Click(ports, "Cancelbutt");
    QTRY_VERIFY_WITH_TIMEOUT(!ports.isVisible(), 10000);  // once the old port is open again
    QCOMPARE(ports.result(), int(QDialog::Rejected));
    QCOMPARE(context.settings.ComPort, 99);
    QVERIFY(FrameArrives(context.link));
}

// What they show is fixed text; what matters is that they go away as the operator expects.
void DialogsTest::infoWindowsCloseAsTheyShould() {
    TInfoF info({}, nullptr);
    info.show();
    QVERIFY(!Child<QLabel>(info, "Firma")->text().split(QLatin1Char('\n')).contains(QString()));
    QTest::mouseClick(Child<QLabel>(info, "Firma"), Qt::LeftButton);
    QVERIFY(!info.isVisible());

    TProgwerF version({}, nullptr);
    version.show();
    QTest::mouseClick(Child<QLabel>(version, "Copywr"), Qt::LeftButton);
    QVERIFY(!version.isVisible());

    for (const auto& [key, result] :
         {std::pair{Qt::Key_Return, QDialog::Accepted}, std::pair{Qt::Key_Escape, QDialog::Rejected}}) {
        Twitryna splash({}, nullptr);
        splash.show();
        QTest::keyClick(&splash, key);
        QVERIFY(!splash.isVisible());
        QCOMPARE(splash.result(), int(result));
    }
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
