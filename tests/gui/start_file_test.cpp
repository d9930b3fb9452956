// The file named on the window's command line: opened once the start-up is over, exactly as
// File > Open would open it, with no file dialog.
#include <QLineEdit>

#include "window_harness.h"

using namespace r4860;
using testing::Harness;

class StartFileTest : public QObject {
    Q_OBJECT

private slots:
    void opensTheNamedFileAfterStartUp() {
        Harness h(std::nullopt);
        testing::TempDir dir;
        const QString file = testing::WritePt100(dir.path(), h.context.settings);
        h.window->openAtStart(file);
        QCOMPARE(h.context.record.Informacje.kod, std::string());  // not before the start-up ends
        QTRY_COMPARE(h.window->parFileName(), file);
        QCOMPARE(h.context.record.Informacje.kod, std::string("TAG-7"));
        QCOMPARE(h.find<QLineEdit>("FiltrLimitE")->text(), QStringLiteral("5"));
        QVERIFY(h.window->windowTitle().contains(QFileInfo(file).fileName()));
        QVERIFY(h.files.proposals.isEmpty());
        QVERIFY(h.messages.boxes.empty());
    }

    void aWrongFileIsReportedAsOpenWouldReportIt() {
        Harness h(std::nullopt);
        testing::TempDir dir;
        const auto path = dir.path() / "broken.par";
        { std::FILE* f = std::fopen(path.c_str(), "wb"); std::fputs("not a parameter file\r\n", f); std::fclose(f); }
        const QString file = QString::fromStdString(path.string());
        h.window->openAtStart(file);
        QTRY_COMPARE(h.messages.texts(), QStringList{QStringLiteral("Corrupted or wrong data file!")});
        QVERIFY(h.window->parFileName() != file);  // left untitled, as after a failed Open
    }
};

QTEST_MAIN(StartFileTest)
#include "start_file_test.moc"
