#include "charts/xy_chart.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

#include "common/number_text.h"

namespace r4860::charts {

namespace {

constexpr int kMaxYLabel = 35;
constexpr int kMarkLength = 5;
constexpr double kCornerRadius = 7.5;  // 15-pixel corners
// A handler that never says "finished" must not hang the window.
constexpr int kMaxReferenceLines = 256;
const QColor kSilver(192, 192, 192);
const QColor kGrey(128, 128, 128);

int PixelHeight(double value, const YScale& scale, int plotHeight) {
    // Frozen scales let values run far off the plot; keep them where int arithmetic is safe.
    const double limit = 4.0 * plotHeight + 8.0;
    return static_cast<int>(RoundEven(std::clamp(ValueHeight(value, scale, plotHeight), -limit, limit)));
}

QRect ToRect(const Box& box) { return QRect(box.left, box.top, box.width(), box.height()); }

}  // namespace

TXYChart::TXYChart(QWidget* parent)
    : QWidget(parent), m_clock([] { return Clock::now(); }), m_yLabelFont(QStringLiteral("Arial"), 8) {
    m_gate.reset(m_clock());
    // Every pixel comes from the layers, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(sizeHint());
}

bool TXYChart::addPoint(const QColor& colour, double value) {
    if (!std::isfinite(value)) return false;
    const Clock::time_point now = m_clock();
    if (!m_gate.pass(now)) return false;
    ensureLayout();  // the plot's width decides whether the oldest point makes room
    const bool scrolled = m_points.push({value, colour.rgba(), now});
    const YScale before = m_scale;
    applyScaling();
    if (m_scale != before) {
        invalidate();
        return true;
    }
    if (!m_layersValid) {
        update();
        return true;
    }
    if (scrolled) scrollDataLayer();
    QPainter painter(&m_dataLayer);
    drawPoint(painter, m_points.size() - 1);
    painter.end();
    update(dataRect());
    return true;
}

void TXYChart::clear() {
    m_points.clear();
    m_gate.reset(m_clock());
    invalidate();
}

void TXYChart::redraw() { invalidate(); }

const ChartPoint& TXYChart::point(int index) const {
    assert(index >= 0 && index < count() && "point index out of range");
    return m_points[static_cast<std::size_t>(index)];
}

const ChartPoint& TXYChart::lastPoint() const {
    assert(!m_points.empty() && "no last point of an empty chart");
    return m_points.back();
}

void TXYChart::setChartType(ChartType type) {
    if (type == m_chartType) return;
    m_chartType = type;
    invalidate();
}

void TXYChart::setGrid(GridType grid) {
    if (grid == m_grid) return;
    m_grid = grid;
    invalidate();
}

void TXYChart::setBackGround(const QColor& colour) {
    if (colour == m_backGround) return;
    m_backGround = colour;
    invalidate();
}

void TXYChart::setChartColor(const QColor& colour) {
    if (colour == m_chartColor) return;
    m_chartColor = colour;
    invalidate();
}

void TXYChart::setBorderWidth(int width) {
    width = std::clamp(width, 1, 4);
    if (width == m_borderWidth) return;
    m_borderWidth = width;
    invalidate();
}

void TXYChart::setYLabel(const QString& label) {
    const QString kept = label.left(kMaxYLabel);
    if (kept == m_yLabel) return;
    m_yLabel = kept;
    invalidate();
}

void TXYChart::setYLabelFont(const QFont& font) {
    if (font == m_yLabelFont) return;
    m_yLabelFont = font;
    invalidate();
}

void TXYChart::setInterval(double seconds) { m_gate.setInterval(seconds); }

void TXYChart::setScaling(bool on) {
    m_scaling = on;
    if (!on) return;
    applyScaling();
    invalidate();
}

QRect TXYChart::plotRect() {
    ensureLayout();
    return ToRect(m_boxes.plot);
}

int TXYChart::valueRow(double value) {
    ensureLayout();
    return m_boxes.plot.bottom - PixelHeight(value, m_scale, m_boxes.plot.height());
}

void TXYChart::setClock(std::function<Clock::time_point()> clock) {
    m_clock = clock ? std::move(clock) : [] { return Clock::now(); };
    m_gate.reset(m_clock());
}

void TXYChart::paintEvent(QPaintEvent* event) {
    ensureLayers();
    QPainter painter(this);
    // The chart layer has a pixel per device pixel: the source rectangle is in those.
    const qreal ratio = m_chartLayer.devicePixelRatio();
    const QRect r = event->rect();
    painter.drawImage(QRectF(r), m_chartLayer, QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio));
    drawDataLayer(painter);
    drawReferenceLines(painter);
}

void TXYChart::mouseDoubleClickEvent(QMouseEvent* event) {
    QWidget::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

void TXYChart::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) invalidate();
}

void TXYChart::invalidate() {
    m_layoutValid = false;
    m_layersValid = false;
    update();
}

void TXYChart::applyScaling() {
    if (m_scaling && !m_points.empty()) {
        const auto [smallest, largest] = m_points.valueRange();
        m_scale = ScaleToData(smallest, largest);
    }
    if (!OnScaling) return;
    YScale asked = m_scale;
    OnScaling(asked.minY, asked.maxY);
    if (!std::isfinite(asked.minY) || !std::isfinite(asked.maxY)) return;
    if (asked.minY > asked.maxY) std::swap(asked.minY, asked.maxY);
    m_scale = asked;
}

// Label widths decide where the frame starts, so the layout follows the scale as well as the size.
void TXYChart::ensureLayout() {
    if (m_layoutValid && m_layoutSize == size()) return;
    m_layersValid = false;
    const QFontMetrics labels(font());
    m_textHeight = labels.height();
    int widest = labels.horizontalAdvance(QStringLiteral("-0.000"));
    for (const double value : LabelWidthValues(m_scale)) widest = std::max(widest, labels.horizontalAdvance(labelText(value)));
    m_labelWidth = widest;
    const int titleHeight = m_yLabel.isEmpty() ? 0 : QFontMetrics(m_yLabelFont).height();
    m_boxes = LayoutBoxes(width(), height(), titleHeight, m_labelWidth);
    m_layoutSize = size();
    m_layoutValid = true;
    m_points.setCapacity(static_cast<std::size_t>(m_boxes.plot.width()));
}

void TXYChart::ensureLayers() {
    ensureLayout();
    // On another screen the labels are drawn again for its pixels.
    if (m_chartLayer.devicePixelRatio() != devicePixelRatioF()) m_layersValid = false;
    if (m_layersValid) return;
    // A full paint scales first; a new scale may move the frame, and so the plot, again.
    const YScale before = m_scale;
    applyScaling();
    if (m_scale != before) {
        m_layoutValid = false;
        ensureLayout();
    }
    paintChartLayer();
    paintDataLayer();
    m_layersValid = true;
}

// Labels, ticks and the frame are drawn for the screen's pixels, so that at 150 % they are as
// sharp as at 100 % rather than a scaled-up copy.
void TXYChart::paintChartLayer() {
    const qreal ratio = devicePixelRatioF();
    m_chartLayer = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
    m_chartLayer.setDevicePixelRatio(ratio);
    m_chartLayer.fill(m_backGround);
    QPainter painter(&m_chartLayer);
    paintTitle(painter);
    const Box& frame = m_boxes.frame;
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(m_chartColor);
    painter.setPen(QPen(Qt::black, m_borderWidth));
    painter.drawRoundedRect(QRectF(frame.left, frame.top, frame.width(), frame.height()), kCornerRadius, kCornerRadius);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    paintGrid(painter);
    paintMarksAndLabels(painter);
}

void TXYChart::paintTitle(QPainter& painter) {
    if (m_yLabel.isEmpty()) return;
    const QFontMetrics metrics(m_yLabelFont);
    const int textWidth = metrics.horizontalAdvance(m_yLabel);
    painter.save();
    painter.setFont(m_yLabelFont);
    painter.setPen(Qt::black);
    // Reads upwards: after turning the axes by -90 degrees, x runs up the widget and y to the right.
    painter.translate(1, (height() + textWidth) / 2);
    painter.rotate(-90);
    painter.drawText(QRect(0, 0, textWidth, metrics.height()), Qt::AlignLeft | Qt::AlignTop, m_yLabel);
    painter.restore();
}

void TXYChart::paintGrid(QPainter& painter) {
    if (m_grid == GridType::gtNone) return;
    const Box& frame = m_boxes.frame;
    const Box& plot = m_boxes.plot;
    painter.setPen(QPen(m_chartColor == kSilver ? kGrey : kSilver, 1));
    const int inset = m_borderWidth;
    if (m_grid == GridType::gtVert || m_grid == GridType::gtBoth) {
        for (const double f : TickLayout(HorizontalTickCount(plot.width()), TickUse::GridLines)) {
            const int x = plot.left + static_cast<int>(RoundEven(f * plot.width()));
            painter.drawLine(x, frame.top + inset, x, frame.bottom - inset);
        }
    }
    if (m_grid == GridType::gtHorz || m_grid == GridType::gtBoth) {
        for (const double f : TickLayout(VerticalTickCount(plot.height(), m_textHeight), TickUse::GridLines)) {
            const int y = plot.bottom - static_cast<int>(RoundEven(f * plot.height()));
            painter.drawLine(frame.left + inset, y, frame.right - inset, y);
        }
    }
}

void TXYChart::paintMarksAndLabels(QPainter& painter) {
    const Box& plot = m_boxes.plot;
    painter.setPen(QPen(Qt::black, 1));
    painter.setFont(font());
    for (const double f : TickLayout(HorizontalTickCount(plot.width()), TickUse::Marks)) {
        const int x = plot.left + static_cast<int>(RoundEven(f * plot.width()));
        painter.drawLine(x, plot.bottom, x, plot.bottom - kMarkLength);
    }
    for (const double f : TickLayout(VerticalTickCount(plot.height(), m_textHeight), TickUse::Marks)) {
        const int y = plot.bottom - static_cast<int>(RoundEven(f * plot.height()));
        painter.drawLine(plot.left, y, plot.left + kMarkLength, y);
        const double value = m_scale.minY + f * (m_scale.maxY - m_scale.minY);
        // Outside the frame: inside it the labels would straddle its rounded edge once the inset
        // (3 % of the width) outgrows the gap.
        const int right = m_boxes.frame.left - kLabelGap;
        const QRect box(right - m_labelWidth, y - m_textHeight / 2, m_labelWidth, m_textHeight);
        painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, labelText(value));
    }
}

QString TXYChart::labelText(double value) const {
    QString text = QString::fromStdString(ScaleLabelText(value));
    if (OnDrawScales) OnDrawScales(text);
    return text;
}

// The data layer covers the plot with one pixel to spare on each side (a dot's half and a line's
// end), plus one more column for the line from the last point.
QRect TXYChart::dataRect() const {
    const Box& plot = m_boxes.plot;
    return QRect(plot.left - 1, plot.top - 1, plot.width() + 3, plot.height() + 3);
}

int TXYChart::layerRow(double value) const {
    return 1 + m_boxes.plot.height() - PixelHeight(value, m_scale, m_boxes.plot.height());
}

void TXYChart::paintDataLayer() {
    m_dataLayer = QImage(dataRect().size(), QImage::Format_ARGB32_Premultiplied);
    m_dataLayer.fill(Qt::transparent);
    m_dataShift = 0;
    QPainter painter(&m_dataLayer);
    for (std::size_t i = 0; i < m_points.size(); ++i) drawPoint(painter, i);
}

void TXYChart::drawPoint(QPainter& painter, std::size_t index) {
    const ChartPoint& p = m_points[index];
    const int column = static_cast<int>(index) + 1;  // layer column of plot column `index`
    const int row = layerRow(p.value);
    const int width = m_dataLayer.width();
    painter.setPen(QPen(QColor::fromRgba(p.rgb), 1));
    // The layer is a ring of columns: draw once where the column lies now and, if the figure
    // reaches past the physical right edge, once more wrapped round to the left.
    const int reach = column + 1 + m_dataShift;
    for (const int shift : {m_dataShift, m_dataShift - width}) {
        if (shift < m_dataShift && reach < width) break;
        painter.setTransform(QTransform::fromTranslate(shift, 0));
        switch (m_chartType) {
        case ChartType::ctLine: {
            const int fromRow = index > 0 ? layerRow(m_points[index - 1].value) : row;
            painter.drawLine(column, fromRow, column + 1, row);
            break;
        }
        case ChartType::ctBar:
            painter.drawLine(column, 1 + m_boxes.plot.height(), column, row);
            break;
        case ChartType::ctScatter:
            if (row >= 1 && row <= 1 + m_boxes.plot.height()) painter.fillRect(column - 1, row - 1, 3, 3, painter.pen().color());
            break;
        }
    }
}

void TXYChart::scrollDataLayer() {
    // The physical column that held the leftmost logical column becomes the new rightmost one.
    const int freed = m_dataShift;
    m_dataShift = (m_dataShift + 1) % m_dataLayer.width();
    const auto offset = static_cast<std::size_t>(freed) * sizeof(QRgb);
    for (int y = 0; y < m_dataLayer.height(); ++y) std::memset(m_dataLayer.scanLine(y) + offset, 0, sizeof(QRgb));
}

void TXYChart::drawDataLayer(QPainter& painter) const {
    const QPoint origin = dataRect().topLeft();
    const int width = m_dataLayer.width();
    const int height = m_dataLayer.height();
    painter.drawImage(origin, m_dataLayer, QRect(m_dataShift, 0, width - m_dataShift, height));
    if (m_dataShift > 0) painter.drawImage(origin + QPoint(width - m_dataShift, 0), m_dataLayer, QRect(0, 0, m_dataShift, height));
}

void TXYChart::drawReferenceLines(QPainter& painter) const {
    if (!OnNeedLinesY) return;
    const Box& plot = m_boxes.plot;
    double value = m_scale.minY - (m_scale.maxY - m_scale.minY) / 100.0;
    QColor colour = Qt::black;
    for (int line = 0; line < kMaxReferenceLines; ++line) {
        const bool finished = OnNeedLinesY(line, value, colour);
        const double height = ValueHeight(value, m_scale, plot.height());
        if (height >= 0.0 && height <= plot.height()) {
            const int y = plot.bottom - static_cast<int>(RoundEven(height));
            painter.setPen(QPen(colour, 1));
            painter.drawLine(plot.left, y, plot.right, y);
        }
        if (finished) return;
    }
}

}  // namespace r4860::charts
