#include "spinner.h"

#include <QColor>
#include <QLabel>
#include <QPainter>
#include <QPen>
#include <QPixmap>

namespace {

const int side = 28;
const int spokes = 12;
const int frameMs = 80;
const qreal innerRadius = 6.5;
const qreal outerRadius = 11.5;
const qreal spokeWidth = 2.6;
// The lead spoke, then the ones behind it, fading towards the window's grey.
const QRgb shades[spokes] = {0x1f78c1, 0x3c89c7, 0x5597cd, 0x6ca4d2, 0x81b0d7, 0x93bbdb,
                             0xa4c4de, 0xb1cbe1, 0xbbd1e4, 0xc1d5e5, 0xc5d7e6, 0xc5d7e6};

}  // namespace

Spinner::Spinner(QLabel *shownIn) : QObject(shownIn), label(shownIn)
{
    timer.setInterval(frameMs);
    connect(&timer, &QTimer::timeout, this, [this] {
        frame = (frame + 1) % spokes;
        showFrame();
    });
}

void Spinner::start()
{
    frame = 0;
    showFrame();
    timer.start();
}

void Spinner::stop()
{
    timer.stop();
}

void Spinner::showFrame()
{
    const qreal ratio = label->devicePixelRatioF();
    QPixmap picture(QSize(side, side) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(side / 2.0, side / 2.0);
    painter.rotate(360.0 * frame / spokes);
    for (const QRgb shade : shades) {
        painter.setPen(QPen(QColor(shade), spokeWidth, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -innerRadius), QPointF(0, -outerRadius));
        painter.rotate(-360.0 / spokes);
    }
    painter.end();
    label->setPixmap(picture);
}
