// What a point costs the strip chart, and that a long run does not grow the process:
//
//   chart_bench [png-folder]      (QT_QPA_PLATFORM=offscreen, or on a display)
//
// On a full chart 1000 pixels wide: microseconds per added point on an unchanged scale and when
// every point moves the scale, each without and with the repaint it asks for; then the resident
// memory after 1 000 and after 500 000 points. With a folder, also writes the chart as the
// diagram shows it (line, dots, bars) as PNG files there, to look at.
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QWindow>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>

#include "charts/xy_chart.h"

using namespace r4860::charts;

namespace {

double ResidentMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// A sine whose period divides the plot's points: the extremes, and so the scale, never change.
double Steady(int i) { return 50.0 + 40.0 * std::sin(2.0 * M_PI * i / 50.0); }
// Rises by one every point, so every point moves the scale's top.
double Rising(int i) { return static_cast<double>(i); }

template <class Value>
void Measure(const char* what, TXYChart& chart, Value value, bool repaint) {
    constexpr int kPoints = 3000;
    chart.clear();
    for (int i = 0; i < chart.plotRect().width(); ++i) (void)chart.addPoint(Qt::yellow, value(i));
    chart.repaint();  // the layers exist from here on, as they do on a visible diagram
    int rescales = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kPoints; ++i) {
        const YScale before = chart.scale();
        (void)chart.addPoint(Qt::yellow, value(chart.plotRect().width() + i));
        if (!(chart.scale() == before)) ++rescales;
        // What the event loop does next: paint the region the point made dirty, and only that.
        if (repaint) QCoreApplication::sendPostedEvents(&chart, QEvent::UpdateRequest);
    }
    const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
    std::printf("%-44s %8.2f us/point  (%d of %d points rescaled)\n", what, spent.count() / kPoints, rescales, kPoints);
}

void SaveLooks(const QString& folder) {
    std::mt19937 rng(4860);
    std::normal_distribution<double> noise(0.0, 0.08);
    const struct {
        ChartType type;
        const char* name;
    } looks[] = {{ChartType::ctLine, "line"}, {ChartType::ctScatter, "dots"}, {ChartType::ctBar, "bars"}};
    for (const auto& look : looks) {
        for (const QSize size : {QSize(640, 300), QSize(147, 105)}) {
            TXYChart chart;
            chart.resize(size);
            chart.setChartType(look.type);
            chart.setGrid(GridType::gtBoth);
            chart.setBackGround(chart.palette().color(QPalette::Button));
            chart.setChartColor(QColor(172, 168, 153));
            chart.setYLabel(QStringLiteral("Result [\u00B0C]"));
            chart.OnNeedLinesY = [&chart](int line, double& value, QColor& colour) {
                const double last = chart.count() > 0 ? chart.lastPoint().value : 0.0;
                value = line == 0 ? last + 0.5 : last - 1.0;
                colour = line == 0 ? QColor(Qt::cyan) : QColor(Qt::red);
                return line >= 1;
            };
            for (int i = 0; i < 300; ++i) {
                const QColor colour = i % 97 == 50 ? Qt::red : i % 37 == 20 ? Qt::cyan : Qt::yellow;
                (void)chart.addPoint(colour, 20.0 + 1.5 * std::sin(i / 25.0) + noise(rng));
            }
            const QString file = QStringLiteral("%1/chart_%2_%3.png").arg(folder, QString::fromLatin1(look.name)).arg(size.width());
            chart.grab().save(file);
            std::printf("wrote %s\n", qPrintable(file));
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc > 1) {
        QDir().mkpath(QString::fromLocal8Bit(argv[1]));
        SaveLooks(QString::fromLocal8Bit(argv[1]));
        return 0;
    }
    TXYChart chart;
    chart.resize(1000, 300);
    chart.setGrid(GridType::gtBoth);
    chart.setChartType(ChartType::ctLine);
    chart.show();
    // repaint() paints only an exposed window; the offscreen platform exposes it at the first events.
    while (chart.windowHandle() == nullptr || !chart.windowHandle()->isExposed()) QCoreApplication::processEvents();
    std::printf("chart 1000 x 300, plot %d x %d pixels\n", chart.plotRect().width(), chart.plotRect().height());
    Measure("add, scale unchanged", chart, Steady, false);
    Measure("add + repaint, scale unchanged", chart, Steady, true);
    Measure("add, every point rescales", chart, Rising, false);
    Measure("add + repaint, every point rescales", chart, Rising, true);

    chart.clear();
    int added = 0;
    const auto addUpTo = [&](int total) {
        for (; added < total; ++added) {
            (void)chart.addPoint(Qt::yellow, Steady(added));
            if (added % 1000 == 0) chart.repaint();
        }
    };
    addUpTo(1000);
    std::printf("resident after %7d points: %7.2f MiB (%d held)\n", added, ResidentMiB(), chart.count());
    addUpTo(500000);
    std::printf("resident after %7d points: %7.2f MiB (%d held)\n", added, ResidentMiB(), chart.count());
    return 0;
}
