// TWykresXY: a transfer characteristic on fixed axes (0..100 % output against 0..100 % or
// -100..100 % input), plotted point by point by its owner into an off-screen trace, with a
// cross-hair that moves over the trace without disturbing it.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

namespace r4860::charts {

class TWykresXY : public QWidget {
    Q_OBJECT
public:
    explicit TWykresXY(QWidget* parent = nullptr);

    void plotPoint(double y, double x);
    void setCrossHair(double y, double x);
    void clear();

    [[nodiscard]] bool bigDot() const { return m_bigDot; }
    void setBigDot(bool on) { m_bigDot = on; }
    [[nodiscard]] bool bipolar() const { return m_bipolar; }
    void setBipolar(bool on);
    [[nodiscard]] bool crossHairs() const { return m_crossHairs; }
    void setCrossHairs(bool on);
    [[nodiscard]] int bgndColor() const { return m_bgnd; }
    void setBgndColor(int shift);
    void setPenColor(const QColor& c) { m_pen = c; }
    void setHairsColor(const QColor& c) { m_hairs = c; }
    // The cross-hair in trace pixels (0, 0 when none), and the trace itself, for tests.
    [[nodiscard]] QPoint crossHairPixel() const { return m_cross; }
    [[nodiscard]] const QImage& trace() const { return m_trace; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void sizeTrace();
    [[nodiscard]] QPoint toPixel(double y, double x) const;

    bool m_bigDot = false;
    bool m_bipolar = false;
    bool m_crossHairs = false;
    int m_bgnd = 0;
    QColor m_pen = Qt::yellow;
    QColor m_hairs = Qt::cyan;
    QPoint m_cross;
    QImage m_trace;  // transparent where nothing was plotted
};

}  // namespace r4860::charts
