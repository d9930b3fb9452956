// The report on a page: a PDF that poppler reads back line by line, in both languages, with its
// document information; and an image at a known resolution whose margins, line spacing and
// heading rules are measured in pixels.
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/date_text.h"
#include "common/lang_table.h"
#include "files/app_paths.h"
#include "files/atomic_file.h"
#include "files/config_report.h"
#include "files/language_file.h"
#include "files/par_file.h"
#include "report/report_page.h"
#include "report/report_print.h"

using namespace r4860;

namespace {

std::vector<std::string> ExampleReport(const char* example, bool polish) {
    model::ConfigRecord rec;
    files::Settings settings;
    const Status read = files::ReadParFile(rec, std::string(R4860_EXAMPLES_DIR) + "/" + example, settings);
    if (!read) qWarning("%s: %s", example, read.error().message.c_str());
    std::vector<std::string> table = EnglishTable();
    if (polish) {
        auto bytes = files::ReadWholeFile(files::ExeDir() / "Polski.lan");
        if (bytes) table = files::SplitLanguageText(*bytes);
    }
    return files::ReportLines(rec, table, model::DefaultModelList(), DaysFromCivil(2024, 3, 9));
}

// Blanks trimmed and runs of them made one: the text layer spaces words by position.
QString Squeezed(const QString& text) { return text.simplified(); }

QString Run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool Ink(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

// The rows holding a horizontal run of ink at least `length` long, and where that run lies.
struct Rule {
    int y, left, right;
};
std::vector<Rule> Rules(const QImage& image, int length) {
    std::vector<Rule> rules;
    for (int y = 0; y < image.height(); ++y) {
        int run = 0;
        for (int x = 0; x < image.width(); ++x) {
            run = Ink(image, x, y) ? run + 1 : 0;
            if (run == length) rules.push_back({y, x - length + 1, x});
            if (run >= length) rules.back().right = x;
        }
    }
    return rules;
}

// The bounding box of the ink between rows `top` and `bottom`, rule rows left out.
QRect InkBetween(const QImage& image, int top, int bottom, const std::vector<Rule>& rules) {
    QRect box;
    for (int y = std::max(top, 0); y < std::min(bottom, image.height()); ++y) {
        if (std::ranges::any_of(rules, [y](const Rule& r) { return r.y == y; })) continue;
        for (int x = 0; x < image.width(); ++x)
            if (Ink(image, x, y)) box = box.united(QRect(x, y, 1, 1));
    }
    return box;
}

}  // namespace

class TestReport : public QObject {
    Q_OBJECT

private slots:
    void pdfHoldsEveryLineInOrder_data();
    void pdfHoldsEveryLineInOrder();
    void pdfReplacesAnExistingFileInOneStep();
    void imageKeepsMarginsSpacingAndRules();
};

void TestReport::pdfHoldsEveryLineInOrder_data() {
    QTest::addColumn<QString>("example");
    QTest::addColumn<bool>("polish");
    QTest::newRow("thermocouple, English") << "thermocouple-k.par" << false;
    QTest::newRow("current with a linear conversion, Polish") << "current-linear.par" << true;
}

void TestReport::pdfHoldsEveryLineInOrder() {
    QFETCH(QString, example);
    QFETCH(bool, polish);
    const auto lines = ExampleReport(example.toLatin1().constData(), polish);
    QTemporaryDir dir;
    const std::string pdf = dir.filePath("report.pdf").toStdString();
    const Status exported = report::ExportReportPdf(lines, pdf);
    QVERIFY2(exported.ok(), exported ? "" : exported.error().message.c_str());

    QStringList expected;
    for (const auto& line : lines)
        if (const QString s = Squeezed(QString::fromStdString(line)); !s.isEmpty()) expected << s;
    QStringList found;
    for (const QString& line : Run("pdftotext", {"-layout", QString::fromStdString(pdf), "-"}).split('\n'))
        if (const QString s = Squeezed(line); !s.isEmpty()) found << s;
    QCOMPARE(found, expected);
    if (polish) QVERIFY(found.join('\n').contains(QStringLiteral("Sygnalizacja awarii wewnętrznej: poniżej 4mA")));

    const QString info = Run("pdfinfo", {QString::fromStdString(pdf)});
    const QString title = QRegularExpression::escape(QString::fromStdString(lines.front()));
    QVERIFY2(info.contains(QRegularExpression("Title: +" + title + "\n")), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression("Creator: +R4860\n")), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression("Page size: .*\\(A4\\)")), qPrintable(info));
    const QString fonts = Run("pdffonts", {QString::fromStdString(pdf)});
    QVERIFY2(fonts.contains("LiberationSans-Bold") && fonts.contains("LiberationSans-Italic"), qPrintable(fonts));
}

void TestReport::pdfReplacesAnExistingFileInOneStep() {
    QTemporaryDir dir;
    const std::string pdf = dir.filePath("report.pdf").toStdString(), link = dir.filePath("old.pdf").toStdString();
    { std::ofstream(pdf) << "the previous report"; }
    QCOMPARE(::link(pdf.c_str(), link.c_str()), 0);   // an in-place write would show through this link
    QVERIFY(report::ExportReportPdf(ExampleReport("pt100.par", false), pdf).ok());
    std::stringstream old, fresh;
    old << std::ifstream(link).rdbuf();
    fresh << std::ifstream(pdf).rdbuf();
    QCOMPARE(old.str(), std::string("the previous report"));
    QVERIFY(fresh.str().starts_with("%PDF-"));
    QVERIFY(!report::ExportReportPdf(ExampleReport("pt100.par", false), dir.path().toStdString()).ok());
}

// 100 dpi on a 850 x 1100 page: x0 212, y0 110, and one 12-point line is 16.67, so 17 pixels.
void TestReport::imageKeepsMarginsSpacingAndRules() {
    constexpr int kX0 = 212, kY0 = 110, kStep = 17;
    QImage image(850, 1100, QImage::Format_RGB32);
    image.setDotsPerMeterX(3937);
    image.setDotsPerMeterY(3937);
    image.fill(Qt::white);
    const auto lines = ExampleReport("thermocouple-k.par", false);
    {
        QPainter painter(&image);
        report::DrawReport(painter, lines);
    }
    const auto rules = Rules(image, kX0);
    QCOMPARE(rules.size(), std::size_t{4});
    const int headings[] = {4, 10, 18, 26};
    for (std::size_t r = 0; r < rules.size(); ++r) {
        QVERIFY2(std::abs(rules[r].y - (kY0 + (2 * headings[r] - 1) * kStep)) <= 1, qPrintable(QString::number(rules[r].y)));
        QVERIFY(std::abs(rules[r].left - kX0) <= 1 && std::abs(rules[r].right - 3 * kX0) <= 1);
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        QFont font("Liberation Sans");
        font.setPointSize(i == 0 ? 14 : i == 27 ? 10 : 12);
        font.setBold(i == 0 || i == 4 || i == 10 || i == 18);
        font.setItalic(i == 27);
        const QFontMetrics metrics(font, &image);
        const int top = kY0 + 2 * static_cast<int>(i == 27 ? 26 : i) * kStep;
        // Leading blanks move the ink by their advance; the tight box of a blank is no ink at all.
        const QString text = QString::fromStdString(lines[i]);
        const QString indent = text.left(text.indexOf(QRegularExpression("\\S")));
        const QRect glyphs = metrics.tightBoundingRect(text.trimmed())
                                 .translated(kX0 + metrics.horizontalAdvance(indent), top + metrics.ascent());
        const QRect ink = InkBetween(image, top - kStep / 2, top + kStep + kStep / 2, rules);
        const QString where = QString("line %1: ink %2,%3-%4,%5, glyphs %6,%7-%8,%9")
                                  .arg(i).arg(ink.left()).arg(ink.top()).arg(ink.right()).arg(ink.bottom())
                                  .arg(glyphs.left()).arg(glyphs.top()).arg(glyphs.right()).arg(glyphs.bottom());
        QVERIFY2(std::abs(ink.left() - glyphs.left()) <= 1 && std::abs(ink.top() - glyphs.top()) <= 1, qPrintable(where));
        QVERIFY2(std::abs(ink.right() - glyphs.right()) <= 2 && std::abs(ink.bottom() - glyphs.bottom()) <= 1,
                 qPrintable(where));
    }
}

QTEST_MAIN(TestReport)
#include "report_test.moc"
