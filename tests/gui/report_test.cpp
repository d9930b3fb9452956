// The report on a page: a PDF that poppler reads back line by line, in both languages, with its
// document information; and an image at a known resolution whose margins, line spacing and
// heading rules are measured in pixels.
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

#include <algorithm>
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
#include "support/pdf_text.h"

using namespace r4860;
using testing::PdfLines;
using testing::Run;
using testing::Squeezed;

namespace {

std::vector<std::string> ExampleReport(const std::string& example, bool polish) {
    model::ConfigRecord rec;
    files::Settings settings;
    if (!files::ReadParFile(rec, std::string(R4860_EXAMPLES_DIR) + "/" + example, settings)) qWarning("unreadable example");
    auto polishBytes = files::ReadWholeFile(files::ExeDir() / "Polski.lan");
    const auto table = polish && polishBytes ? files::SplitLanguageText(*polishBytes) : EnglishTable();
    return files::ReportLines(rec, table, model::DefaultModelList(), DaysFromCivil(2024, 3, 9));
}

bool Ink(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

// Rows holding a horizontal run of ink at least `length` long, with the run's ends.
struct Rule {
    int y, left, right;
};
std::vector<Rule> Rules(const QImage& image, int length) {
    std::vector<Rule> rules;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0, run = 0; x < image.width(); ++x) {
            run = Ink(image, x, y) ? run + 1 : 0;
            if (run == length) rules.push_back({y, x - length + 1, x});
            if (run >= length) rules.back().right = x;
        }
    }
    return rules;
}

// The bounding box of the ink in rows top..bottom - 1, rule rows left out.
QRect InkBetween(const QImage& image, int top, int bottom, const std::vector<Rule>& rules) {
    QRect box;
    for (int y = top; y < bottom; ++y) {
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
    void pdfHoldsEveryLineInOrderAndReplacesTheOldFileInOneStep();
    void imageKeepsMarginsSpacingAndRules();
};

void TestReport::pdfHoldsEveryLineInOrderAndReplacesTheOldFileInOneStep() {
    for (const auto& [example, polish] : {std::pair{"thermocouple-k.par", false}, {"current-linear.par", true}}) {
        const auto lines = ExampleReport(example, polish);
        QVERIFY(!polish || lines[0].starts_with("Parametry"));   // Polski.lan lies beside the test
        QTemporaryDir dir;
        const std::string pdf = dir.filePath("report.pdf").toStdString(), old = dir.filePath("old").toStdString();
        std::ofstream(pdf) << "last week's report";
        QCOMPARE(::link(pdf.c_str(), old.c_str()), 0);   // a write in place would show through this link
        QVERIFY(report::ExportReportPdf(lines, pdf).ok());
        std::stringstream kept;
        kept << std::ifstream(old).rdbuf();
        QCOMPARE(kept.str(), std::string("last week's report"));

        QStringList composed;
        for (const auto& line : lines) composed << QString::fromStdString(line);
        QCOMPARE(PdfLines(QString::fromStdString(pdf)), Squeezed(composed));
        const QString info = Run("pdfinfo", {QString::fromStdString(pdf)});
        const QString title = QRegularExpression::escape(composed.front());
        QVERIFY2(info.contains(QRegularExpression("Title: +" + title + "\nCreator: +R4860\n")), qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression("Page size: .*\\(A4\\)")), qPrintable(info));
    }
}

// 100 dpi on an 850 x 1100 page: x0 212, y0 110, and one 12-point line is 16.67, so 17 pixels.
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
    for (std::size_t r = 0; r < rules.size(); ++r) {
        const int heading = std::array{4, 10, 18, 26}[r];
        QVERIFY2(std::abs(rules[r].y - (kY0 + (2 * heading - 1) * kStep)) <= 1, qPrintable(QString::number(rules[r].y)));
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
        // Leading blanks move the ink by their advance; a blank's tight box is no ink at all.
        const QString text = QString::fromStdString(lines[i]);
        const QString indent = text.left(text.indexOf(QRegularExpression("\\S")));
        const QRect glyphs = metrics.tightBoundingRect(text.trimmed())
                                 .translated(kX0 + metrics.horizontalAdvance(indent), top + metrics.ascent());
        const QRect ink = InkBetween(image, top - kStep / 2, top + kStep + kStep / 2, rules);
        const QPoint d1 = ink.topLeft() - glyphs.topLeft(), d2 = ink.bottomRight() - glyphs.bottomRight();
        QVERIFY2(std::abs(d1.x()) <= 1 && std::abs(d1.y()) <= 1 && std::abs(d2.x()) <= 2 && std::abs(d2.y()) <= 1,
                 qPrintable(QString("line %1 off by %2,%3 and %4,%5").arg(i).arg(d1.x()).arg(d1.y()).arg(d2.x()).arg(d2.y())));
    }
}

QTEST_MAIN(TestReport)
#include "report_test.moc"
