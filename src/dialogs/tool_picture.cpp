#include "dialogs/tool_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace r4860::dialogs {

QPixmap ToolPicture(int size) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 100.0, size / 100.0);

    // The sensor sheath below the head.
    painter.setPen(QPen(QColor(90, 90, 90), 1));
    painter.setBrush(QColor(170, 170, 170));
    painter.drawRoundedRect(QRectF(45, 55, 10, 42), 4, 4);

    // The round head with its terminal cover.
    QLinearGradient metal(20, 10, 80, 60);
    metal.setColorAt(0, QColor(120, 160, 210));
    metal.setColorAt(1, QColor(30, 70, 140));
    painter.setBrush(metal);
    painter.setPen(QPen(QColor(20, 40, 90), 1.5));
    painter.drawEllipse(QRectF(18, 6, 64, 54));
    painter.setBrush(QColor(235, 240, 250));
    painter.drawRoundedRect(QRectF(30, 20, 40, 26), 4, 4);

    // A rising trace on the cover: what the transmitter turns the temperature into.
    QPainterPath trace;
    trace.moveTo(34, 41);
    trace.cubicTo(44, 40, 50, 26, 66, 24);
    painter.setPen(QPen(QColor(200, 30, 30), 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(trace);
    return picture;
}

}  // namespace r4860::dialogs
