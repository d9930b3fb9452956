#include "report/report_page.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include "files/config_report.h"

namespace r4860::report {
namespace {

bool IsHeading(std::size_t line) {
    return std::ranges::find(files::kReportHeadingLines, line) != files::kReportHeadingLines.end();
}

}  // namespace

int ReportLayout::lineTop(std::size_t line) const noexcept {
    const std::size_t placed = line == files::kReportDateLine ? files::kReportHeadingLines.back() : line;
    return y0 + 2 * static_cast<int>(placed) * step;
}

ReportLayout LayoutFor(int pageWidth, int pageHeight, int dpiY) noexcept {
    return {pageWidth / 4, pageHeight / 10, static_cast<int>(std::lround(12.0 * dpiY / 72.0))};
}

QFont ReportFont(std::size_t line) {
    QFont font(QString::fromLatin1(kReportFontFamily));
    font.setStyleHint(QFont::SansSerif);
    if (line == files::kReportTitleLine) {
        font.setPointSize(14);
        font.setBold(true);
    } else if (line == files::kReportDateLine) {
        font.setPointSize(10);
        font.setItalic(true);
    } else {
        font.setPointSize(12);
        font.setBold(IsHeading(line));
    }
    return font;
}

void DrawReport(QPainter& painter, const std::vector<std::string>& lines) {
    const QPaintDevice* device = painter.device();
    const ReportLayout layout = LayoutFor(device->width(), device->height(), device->logicalDpiY());
    painter.save();
    QPen rule(Qt::black, ReportLayout::rulePenWidth(device->logicalDpiY()), Qt::SolidLine, Qt::FlatCap);
    for (std::size_t i = 0; i < lines.size() && i < files::kReportLines; ++i) {
        if (IsHeading(i)) {
            painter.setPen(rule);
            painter.drawLine(layout.x0, layout.ruleY(i), layout.ruleRight(), layout.ruleY(i));
        }
        if (lines[i].empty()) continue;
        const QFont font = ReportFont(i);
        painter.setFont(font);
        painter.setPen(Qt::black);
        // The layout places a line by the top of its text, a painter by its baseline.
        const int baseline = layout.lineTop(i) + QFontMetrics(font, device).ascent();
        painter.drawText(layout.x0, baseline, QString::fromStdString(lines[i]));
    }
    painter.restore();
}

}  // namespace r4860::report
