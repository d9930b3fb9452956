// The configuration report on a page: the 28 composed lines drawn with QPainter on any paint
// device (a printer, a PDF, the print preview, an image) by one fixed layout in device units.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <QFont>

class QPainter;

namespace r4860::report {

// Where the lines go, in the units of the device drawn on. Every line but the title is
// double-spaced; a heading's rule lies half a line above its text.
struct ReportLayout {
    int x0 = 0;    // left margin: a quarter of the page width
    int y0 = 0;    // top margin: a tenth of the page height
    int step = 0;  // one 12-point line at the device's vertical resolution

    // Top of the text of `line`; the print date stands where the last heading does.
    [[nodiscard]] int lineTop(std::size_t line) const noexcept;
    [[nodiscard]] int ruleY(std::size_t line) const noexcept { return y0 + (2 * static_cast<int>(line) - 1) * step; }
    [[nodiscard]] int ruleRight() const noexcept { return 3 * x0; }
    // Half a point: the one-device-pixel pen of the first platform vanishes at a printer's resolution.
    [[nodiscard]] static int rulePenWidth(int dpiY) noexcept { return dpiY >= 288 ? dpiY / 144 : 1; }
};

[[nodiscard]] ReportLayout LayoutFor(int pageWidth, int pageHeight, int dpiY) noexcept;

// Metric-compatible with the face the report was designed in, and it carries the Polish letters.
inline constexpr const char* kReportFontFamily = "Liberation Sans";

// 14 pt bold for the title, 12 pt bold for the headings, 10 pt italic for the print date,
// 12 pt for every other line.
[[nodiscard]] QFont ReportFont(std::size_t line);

// Draws `lines` (ReportLines of files/config_report.h) with `painter`, which must be active on
// the page; the layout follows the painter's device. Draws no background.
void DrawReport(QPainter& painter, const std::vector<std::string>& lines);

}  // namespace r4860::report
