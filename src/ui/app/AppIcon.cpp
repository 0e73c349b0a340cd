#include "ui/app/AppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QImage RenderApplicationIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);

    QLinearGradient sky(0, 0, 0, 256);
    sky.setColorAt(0, QColor(0, 51, 153));
    sky.setColorAt(1, QColor(40, 110, 200));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sky);
    painter.drawRoundedRect(QRectF(8, 8, 240, 240), 40, 40);

    // Field with crop rows, sloping to the water.
    QPainterPath field;
    field.moveTo(20, 150);
    field.cubicTo(80, 120, 170, 120, 236, 140);
    field.lineTo(236, 175);
    field.lineTo(20, 175);
    field.closeSubpath();
    painter.setBrush(QColor(120, 190, 80));
    painter.drawPath(field);

    // The water body, with two waves.
    painter.setBrush(QColor(150, 215, 250));
    painter.drawRoundedRect(QRectF(20, 170, 216, 62), 18, 18);
    painter.setPen(QPen(Qt::white, 7, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    for (double y : {192.0, 214.0}) {
        QPainterPath wave;
        wave.moveTo(46, y);
        for (int i = 0; i < 4; ++i)
            wave.quadTo(66 + 44 * i, y - 10, 88 + 44 * i, y);
        painter.drawPath(wave);
    }

    // The drift: droplets falling from a cloud of spray.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 204, 0));
    for (const QPointF& c : {QPointF(70, 60), QPointF(112, 48), QPointF(156, 60), QPointF(190, 80)})
        painter.drawEllipse(c, 22, 22);
    for (const QPointF& d : {QPointF(90, 105), QPointF(130, 115), QPointF(170, 108), QPointF(150, 140)})
        painter.drawEllipse(d, 6, 9);
    return image;
}
