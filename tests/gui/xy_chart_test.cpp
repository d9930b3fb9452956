// The strip chart as the diagram uses it: points land in the right pixel column in their own
// colour, the plot scrolls instead of growing, reference lines sit on their rows and the interval
// follows the chart's clock. Pixels are read back from grab().
#include <QSignalSpy>
#include <QtTest>
#include <set>
#include <vector>

#include "charts/xy_chart.h"

using namespace r4860::charts;
using Clock = std::chrono::steady_clock;

Q_DECLARE_METATYPE(r4860::charts::ChartType)

namespace {

const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kAqua(0, 255, 255);

// A chart on a white plot that plots every value offered.
void Prepare(TXYChart& chart, int width = 400, int height = 200) {
    chart.resize(width, height);
    chart.setChartColor(Qt::white);
    chart.setInterval(0);
}

QImage Grab(TXYChart& chart) { return chart.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The columns and rows of the plot (with its one-pixel margin) that show `colour`.
struct Where {
    std::set<int> columns;
    std::set<int> rows;
};
Where Find(const QImage& image, const QRect& plot, const QColor& colour) {
    Where where;
    const QRect area = plot.adjusted(-1, -1, 2, 2);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) != colour) continue;
            where.columns.insert(x);
            where.rows.insert(y);
        }
    }
    return where;
}

std::set<int> Range(int first, int last) {
    std::set<int> values;
    for (int v = first; v <= last; ++v) values.insert(v);
    return values;
}

}  // namespace

class TestXYChart : public QObject {
    Q_OBJECT

private slots:
    void pointIsDrawnInItsColourAtItsColumn_data();
    void pointIsDrawnInItsColourAtItsColumn();
    void referenceLinesAreDrawnOnTheirRows();
    void intervalFollowsTheChartsClock();
    void frozenScaleIgnoresNewDataButNotTheHandlers();
    void doubleClickIsSignalled();
};

void TestXYChart::pointIsDrawnInItsColourAtItsColumn_data() {
    QTest::addColumn<ChartType>("type");
    QTest::addColumn<bool>("scrolled");
    // Past the width the data layer is a ring of columns: the newest must still land on the right.
    for (const bool scrolled : {false, true}) {
        QTest::addRow("dots%s", scrolled ? ", scrolled" : "") << ChartType::ctScatter << scrolled;
        QTest::addRow("line%s", scrolled ? ", scrolled" : "") << ChartType::ctLine << scrolled;
        QTest::addRow("bars%s", scrolled ? ", scrolled" : "") << ChartType::ctBar << scrolled;
    }
}

// Yellow points alternate between 0 and 100 (a fixed scale of 0..100); the last one is red at 75,
// and ten before it is an aqua one at 50, which must have moved left with the plot.
void TestXYChart::pointIsDrawnInItsColourAtItsColumn() {
    QFETCH(ChartType, type);
    QFETCH(bool, scrolled);
    TXYChart chart;
    Prepare(chart);
    chart.setChartType(type);
    const QRect plot = chart.plotRect();
    const int yellow = scrolled ? plot.width() + 57 : 40;
    for (int i = 0; i < yellow; ++i) {
        const bool aqua = i == yellow - 10;
        QVERIFY(chart.addPoint(aqua ? kAqua : kYellow, aqua ? 50.0 : i % 2 == 0 ? 0.0 : 100.0));
        if (i == 20) Grab(chart);  // later points are then drawn one at a time, not in a full paint
    }
    QVERIFY(chart.addPoint(kRed, 75.0));
    QCOMPARE(chart.scale(), (YScale{0, 100}));
    QCOMPARE(chart.plotRect(), plot);
    QCOMPARE(chart.count(), scrolled ? plot.width() : yellow + 1);  // one point per column, no more
    const int x = plot.left() + chart.count() - 1;
    const int row = chart.valueRow(75.0);
    QVERIFY(qAbs(row - (plot.top() + plot.height() / 4)) <= 1);  // three quarters up, not down

    const QImage image = Grab(chart);
    const Where aqua = Find(image, plot, kAqua);
    QVERIFY(aqua.columns.count(x - 10));
    QVERIFY(*aqua.columns.begin() >= x - 11 && *aqua.columns.rbegin() <= x - 9);
    const Where red = Find(image, plot, kRed);
    switch (type) {
    case ChartType::ctScatter:
        QCOMPARE(red.columns, Range(x - 1, x + 1));
        QCOMPARE(red.rows, Range(row - 1, row + 1));
        break;
    case ChartType::ctLine:  // from the previous point's end (x, row of 0 or 100) to (x + 1, row)
        QCOMPARE(red.columns, Range(x, x + 1));
        QVERIFY(red.rows.count(row));
        QCOMPARE(*red.rows.rbegin() - *red.rows.begin() + 1, static_cast<int>(red.rows.size()));
        break;
    case ChartType::ctBar:
        QCOMPARE(red.columns, std::set<int>{x});
        QCOMPARE(red.rows, Range(row, chart.valueRow(0.0)));
        break;
    }
}

void TestXYChart::referenceLinesAreDrawnOnTheirRows() {
    TXYChart chart;
    Prepare(chart);
    QVERIFY(chart.addPoint(kYellow, 0.0));
    QVERIFY(chart.addPoint(kYellow, 100.0));
    std::vector<double> offered;
    chart.OnNeedLinesY = [&offered](int line, double& value, QColor& colour) {
        offered.push_back(value);
        switch (line) {
        case 0: value = 25.0; colour = kAqua; return false;
        case 1: return false;  // keeps 25 and aqua: drawn again on the same row
        case 2: value = 250.0; return false;  // off the scale: not drawn
        case 3: value = 60.0; colour = kRed; return true;  // the last line is drawn too
        default: return true;
        }
    };
    const QRect plot = chart.plotRect();
    const QImage image = Grab(chart);
    // Each call starts from the last answer; the first from just below 0..100, so a handler that
    // sets nothing draws nothing. Not asked again once finished.
    QCOMPARE(offered, (std::vector<double>{-1.0, 25.0, 25.0, 250.0}));

    const Where aqua = Find(image, plot, kAqua);
    const Where red = Find(image, plot, kRed);
    QCOMPARE(aqua.rows, std::set<int>{chart.valueRow(25.0)});
    QCOMPARE(red.rows, std::set<int>{chart.valueRow(60.0)});
    QCOMPARE(aqua.columns, Range(plot.left(), plot.right() + 1));  // the full width of the plot
    QCOMPARE(red.columns, aqua.columns);
}

// The rhythm and the clamp are unit-tested; here the gate must run on the chart's clock.
void TestXYChart::intervalFollowsTheChartsClock() {
    TXYChart chart;
    Prepare(chart);
    Clock::time_point now{};
    chart.setClock([&now] { return now; });
    chart.setInterval(1.0);
    for (const int atMs : {500, 1000}) {
        now = Clock::time_point{} + std::chrono::milliseconds(atMs);
        QCOMPARE(chart.addPoint(kYellow, 1.0), atMs == 1000);
    }
    now += std::chrono::seconds(10);
    chart.clear();  // the interval starts again from the clear
    now += std::chrono::milliseconds(999);
    QVERIFY(!chart.addPoint(kYellow, 1.0));
    now += std::chrono::milliseconds(1);
    QVERIFY(chart.addPoint(kYellow, 1.0));
    QCOMPARE(chart.count(), 1);  // the point from before the clear is gone
}

void TestXYChart::frozenScaleIgnoresNewDataButNotTheHandlers() {
    TXYChart chart;
    Prepare(chart);
    QVERIFY(chart.addPoint(kYellow, 150.0));
    QCOMPARE(chart.scale(), (YScale{149, 151}));
    chart.setScaling(false);
    QVERIFY(chart.addPoint(kYellow, 1000.0));
    QCOMPARE(chart.scale(), (YScale{149, 151}));
    Grab(chart);  // a full paint must not rescale either
    QCOMPARE(chart.scale(), (YScale{149, 151}));
    chart.OnScaling = [](double& minY, double& maxY) {
        minY = 0;
        maxY = 2000;
    };
    QVERIFY(chart.addPoint(kYellow, 5.0));
    QCOMPARE(chart.scale(), (YScale{0, 2000}));  // asked even while the scale is frozen
    const int plainLeft = chart.plotRect().left();
    chart.OnDrawScales = [](QString& text) { text += QStringLiteral(" degC"); };
    chart.redraw();
    QVERIFY(chart.plotRect().left() > plainLeft);  // room for the longer labels, not clipped ones
    chart.OnScaling = nullptr;
    chart.setScaling(true);
    QCOMPARE(chart.scale(), (YScale{5, 1000}));
}

void TestXYChart::doubleClickIsSignalled() {
    TXYChart chart;
    QSignalSpy spy(&chart, &TXYChart::doubleClicked);
    QTest::mouseDClick(&chart, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
}

QTEST_MAIN(TestXYChart)
#include "xy_chart_test.moc"
