// The strip chart of the live diagram: one point per pixel column in arrival order, scrolling left
// a pixel per point once the plot is full, Y scale following the data unless frozen.
//
// Two off-screen layers stand for the whole picture: the chart layer (background, rotated title,
// frame, grid, marks and labels) and the data layer (points on transparent pixels, used as a ring
// of columns so that scrolling clears one column instead of moving the image). The widget's own
// backing store is where they are composed with the reference lines, so a new point on an
// unchanged scale costs one small drawing and a repaint of the plot; only a new scale, a new size
// or a changed property rebuilds the layers.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>
#include <chrono>
#include <functional>

#include "charts/chart_scale.h"

namespace r4860::charts {

enum class ChartType { ctScatter, ctLine, ctBar };
enum class GridType { gtNone, gtHorz, gtVert, gtBoth };

class TXYChart : public QWidget {
    Q_OBJECT

public:
    using Clock = std::chrono::steady_clock;
    // Reference line number `line` (0, 1, 2, ...): the handler sets value and colour and returns
    // true when this was the last line. Value and colour carry over from the previous call; the
    // first call gets a value just below the visible range, so "finished, nothing set" draws none.
    using NeedLines = std::function<bool(int line, double& value, QColor& colour)>;
    // May move the computed scale; called after every scaling, frozen or not.
    using Scaling = std::function<void(double& minY, double& maxY)>;
    // May rewrite each Y label.
    using DrawScales = std::function<void(QString& text)>;

    explicit TXYChart(QWidget* parent = nullptr);

    // Plots the value if the interval has passed since the last plotted point; false means nothing
    // was added. Values that are not finite are never plotted.
    bool addPoint(const QColor& colour, double value);
    // Drops every point and starts the interval afresh from now.
    void clear();
    // Rebuilds and repaints everything (after a handler's answers changed).
    void redraw();

    [[nodiscard]] int count() const { return static_cast<int>(m_points.size()); }
    // Oldest first; the colour is a QRgb.
    [[nodiscard]] const ChartPoint& point(int index) const;
    [[nodiscard]] const ChartPoint& lastPoint() const;

    [[nodiscard]] ChartType chartType() const { return m_chartType; }
    void setChartType(ChartType type);
    [[nodiscard]] GridType grid() const { return m_grid; }
    void setGrid(GridType grid);
    [[nodiscard]] QColor backGround() const { return m_backGround; }
    void setBackGround(const QColor& colour);
    [[nodiscard]] QColor chartColor() const { return m_chartColor; }
    void setChartColor(const QColor& colour);
    [[nodiscard]] int borderWidth() const { return m_borderWidth; }
    void setBorderWidth(int width);  // clamped to 1..4
    [[nodiscard]] QString yLabel() const { return m_yLabel; }
    void setYLabel(const QString& label);  // at most 35 characters are kept
    [[nodiscard]] QFont yLabelFont() const { return m_yLabelFont; }
    void setYLabelFont(const QFont& font);
    // Seconds between plotted points, clamped to 0..3600; 0 plots every value offered.
    [[nodiscard]] double interval() const { return m_gate.interval(); }
    void setInterval(double seconds);
    // Off freezes the present scale; on follows the data again and repaints.
    [[nodiscard]] bool scaling() const { return m_scaling; }
    void setScaling(bool on);

    [[nodiscard]] YScale scale() const { return m_scale; }
    // Where point i is drawn: column plotRect().left() + i; a value's row on the present scale.
    [[nodiscard]] QRect plotRect();
    [[nodiscard]] int valueRow(double value);
    // The time source of the interval; resets the interval's start to the new clock's now.
    void setClock(std::function<Clock::time_point()> clock);

    NeedLines OnNeedLinesY;
    Scaling OnScaling;
    DrawScales OnDrawScales;

    [[nodiscard]] QSize sizeHint() const override { return {147, 105}; }

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void invalidate();
    void applyScaling();
    void ensureLayout();
    void ensureLayers();
    void paintChartLayer();
    void paintTitle(QPainter& painter);
    void paintGrid(QPainter& painter);
    void paintMarksAndLabels(QPainter& painter);
    void paintDataLayer();
    void drawPoint(QPainter& painter, std::size_t index);
    void scrollDataLayer();
    void drawDataLayer(QPainter& painter) const;
    void drawReferenceLines(QPainter& painter) const;
    [[nodiscard]] QString labelText(double value) const;
    [[nodiscard]] int layerRow(double value) const;
    [[nodiscard]] QRect dataRect() const;

    PointRing m_points;
    IntervalGate m_gate;
    std::function<Clock::time_point()> m_clock;
    YScale m_scale;
    bool m_scaling = true;

    ChartType m_chartType = ChartType::ctScatter;
    GridType m_grid = GridType::gtNone;
    QColor m_backGround{192, 192, 192};
    QColor m_chartColor{Qt::white};
    int m_borderWidth = 1;
    QString m_yLabel;
    QFont m_yLabelFont;

    // Layout, valid for m_layoutSize and the scale at the time; the layers on top of it.
    bool m_layoutValid = false;
    bool m_layersValid = false;
    QSize m_layoutSize;
    ChartBoxes m_boxes;
    int m_labelWidth = 0;
    int m_textHeight = 0;
    QImage m_chartLayer;
    QImage m_dataLayer;
    int m_dataShift = 0;  // physical column of the data layer's leftmost logical column
};

}  // namespace r4860::charts
