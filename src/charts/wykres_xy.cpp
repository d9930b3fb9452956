#include "charts/wykres_xy.h"

#include <QMouseEvent>
#include <QPainter>

#include "charts/xy_plot_rules.h"

namespace r4860::charts {

TWykresXY::TWykresXY(QWidget* parent) : QWidget(parent) {
    resize(108, 108);
    sizeTrace();
}

void TWykresXY::sizeTrace() {
    const TraceSize t = TraceFor(width(), height(), m_bipolar);
    if (m_trace.width() == t.width && m_trace.height() == t.height) return;
    QImage fresh(std::max(t.width, 1), std::max(t.height, 1), QImage::Format_ARGB32_Premultiplied);
    fresh.fill(Qt::transparent);
    if (!m_trace.isNull()) {
        QPainter p(&fresh);
        p.drawImage(0, 0, m_trace);
    }
    m_trace = fresh;
}

QPoint TWykresXY::toPixel(double y, double x) const {
    const TracePixel px = MapPoint(x, y, {m_trace.width(), m_trace.height()}, m_bipolar);
    return {px.x, px.y};
}

void TWykresXY::plotPoint(double y, double x) {
    // A hidden control hears of its size only when shown: the owner may plot before that.
    sizeTrace();
    const QPoint at = toPixel(y, x);
    QPainter p(&m_trace);
    if (m_bigDot) p.fillRect(at.x() - 1, at.y() - 1, 3, 3, m_pen);
    else p.fillRect(at.x(), at.y(), 1, 1, m_pen);
    update();
}

void TWykresXY::setCrossHair(double y, double x) {
    sizeTrace();
    m_cross = toPixel(y, x);
    update();
}

void TWykresXY::clear() {
    m_trace.fill(Qt::transparent);
    update();
}

void TWykresXY::setBipolar(bool on) {
    if (on == m_bipolar) return;
    m_bipolar = on;
    sizeTrace();
    update();
}

void TWykresXY::setCrossHairs(bool on) {
    m_crossHairs = on;
    if (!on) m_cross = {};
    update();
}

void TWykresXY::setBgndColor(int shift) {
    m_bgnd = std::clamp(shift, 0, 100);
    update();
}

void TWykresXY::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    sizeTrace();
}

void TWykresXY::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

void TWykresXY::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const PlotGreys g = GreysFor(m_bgnd);
    const QColor dark(g.dark, g.dark, g.dark), middle(g.middle, g.middle, g.middle), light(g.light, g.light, g.light);
    const int w = width(), h = height();
    p.fillRect(rect(), middle);
    p.setPen(light);
    p.drawRect(0, 0, w - 1, h - 1);
    p.setPen(dark);
    p.drawLine(0, h - 1, w - 1, h - 1);
    p.drawLine(w - 1, 0, w - 1, h - 1);
    const PlotMargins m = MarginsFor(w, h);
    const QRect box(1 + m.x, 1 + m.y, m_trace.width() - 2 * m.x, m_trace.height() - 2 * m.y);
    p.setPen(light);
    p.drawRect(box);
    p.setPen(Qt::red);
    const int axisX = m_bipolar ? box.center().x() : box.left();
    p.drawLine(box.left(), box.bottom(), box.right(), box.bottom());
    p.drawLine(axisX, box.top(), axisX, box.bottom());
    for (int x : TickPixels(box.left(), box.width(), m_bipolar ? 20 : 10, !m_bipolar)) {
        p.drawLine(x, box.bottom() - 3, x, box.bottom());
    }
    for (int y : TickPixels(box.top(), box.height(), 10, true)) p.drawLine(axisX, y, axisX + 3, y);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(10);
    p.setFont(font);
    p.setPen(QColor(128, 128, 0));
    const QFontMetrics fm(font);
    p.drawText(box.right() - fm.horizontalAdvance(QStringLiteral("In")) - 3, box.bottom() - 5, QStringLiteral("In"));
    const QString out = QStringLiteral("Out");
    p.drawText(m_bipolar ? axisX - fm.horizontalAdvance(out) - 3 : axisX + 5, box.top() + fm.ascent() + 2, out);
    p.drawImage(1, 1, m_trace);
    if (m_crossHairs && m_cross != QPoint()) {
        p.setPen(m_hairs);
        p.drawLine(1 + m_cross.x(), 1, 1 + m_cross.x(), h - 2);
        p.drawLine(1, 1 + m_cross.y(), w - 2, 1 + m_cross.y());
    }
}

}  // namespace r4860::charts
