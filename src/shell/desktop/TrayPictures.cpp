#include "TrayPictures.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace shell {

namespace {

struct Colours {
    QColor screen;
    QColor led;
};

// A front view of the appliance: the LED stalk, the case, the screen and the
// keyboard, on a transparent background.
QImage drawAudrey(int size, const Colours& colours)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    const QColor outline(70, 66, 60);
    const QColor caseColour(238, 232, 220);
    p.setPen(QPen(outline, 1));
    p.setBrush(colours.led);
    p.drawRoundedRect(QRectF(14.5, 0.5, 3, 7), 1.5, 1.5);
    p.setBrush(caseColour);
    p.drawRoundedRect(QRectF(2.5, 5.5, 27, 20), 4, 4);
    p.setBrush(colours.screen);
    p.drawRect(QRectF(7.5, 9.5, 17, 12));
    p.setBrush(caseColour.darker(110));
    p.drawRoundedRect(QRectF(4.5, 26.5, 23, 5), 2, 2);
    return image;
}

QIcon iconOf(const Colours& colours)
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48})
        icon.addPixmap(QPixmap::fromImage(drawAudrey(size, colours)));
    return icon;
}

} // namespace

// The icon theme's "tallis" icon (installed with the desktop entry) when the theme has
// it; the same picture drawn here otherwise.
QIcon normalTrayPicture()
{
    return QIcon::fromTheme(QStringLiteral("tallis"), iconOf({QColor(50, 100, 190), QColor(60, 200, 90)}));
}

QIcon activityTrayPicture()
{
    return iconOf({QColor(240, 160, 30), QColor(250, 90, 40)});
}

} // namespace shell
