#include "AudreyPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace remote {

namespace {

const QColor kCase(238, 232, 220);      // the appliance's linen-white case
const QColor kOutline(90, 86, 80);
const QColor kDarkGrey(60, 60, 64);

// Twips (1/15 pixel) to pixels, as the window's active areas are placed.
constexpr double px(double twips)
{
    return twips / 15.0;
}

QRectF twipsRect(double left, double top, double width, double height)
{
    return QRectF(px(left), px(top), px(width), px(height));
}

void drawSpeaker(QPainter& p, const QRectF& r)
{
    p.setBrush(QColor(200, 194, 182));
    p.setPen(QPen(kOutline, 1));
    p.drawRoundedRect(r.adjusted(-3, -3, 3, 3), 5, 5);
    p.setPen(QPen(kDarkGrey, 1.2));
    for (double x = r.left() + 3; x < r.right() - 1; x += 4)
        p.drawLine(QPointF(x, r.top() + 1), QPointF(x, r.bottom() - 1));
}

void drawButton(QPainter& p, const QRectF& r, const QColor& colour)
{
    p.setBrush(colour);
    p.setPen(QPen(kOutline, 1));
    p.drawRoundedRect(r, 3, 3);
}

// The selection panel's tray under the appliance. It starts above the "Select Which
// Audreys" label (288 px) so the label lies inside the window's outline, and it is
// plain: the check boxes cover it, and nothing of it shows between them.
void drawPanel(QPainter& p)
{
    const QRectF body(8, 282, 247, 116);
    p.setBrush(QColor(226, 220, 208));
    p.setPen(QPen(kOutline, 1.5));
    p.drawRoundedRect(body, 12, 12);
}

} // namespace

QColor pictureBackground()
{
    return QColor(255, 0, 255);
}

QImage drawAudreyPicture()
{
    QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    image.fill(pictureBackground());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false); // hard edges keep the outline exact

    // The stalk of the top LED.
    p.setBrush(kCase);
    p.setPen(QPen(kOutline, 1.5));
    p.drawRoundedRect(QRectF(122, 1, 20, 90), 8, 8);
    p.setBrush(QColor(60, 200, 90));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(twipsRect(1900, 75, 130, 1150).adjusted(1, 2, -1, -2), 3, 3);

    // The case. Its rounded bottom ends above the collapsed window's height (278 px), so
    // the folded window still shows the whole appliance.
    QPainterPath body;
    body.addRoundedRect(QRectF(18, 66, 228, 210), 28, 28);
    p.setBrush(kCase);
    p.setPen(QPen(kOutline, 2));
    p.drawPath(body);

    drawSpeaker(p, twipsRect(500, 1200, 600, 150));
    drawSpeaker(p, twipsRect(2900, 1200, 600, 150));

    // The screen in its bezel.
    const QRectF screen = twipsRect(960, 1920, 2055, 1455);
    p.setBrush(kDarkGrey);
    p.setPen(QPen(kOutline, 1));
    p.drawRoundedRect(screen.adjusted(-6, -6, 6, 6), 6, 6);
    QLinearGradient glow(screen.topLeft(), screen.bottomRight());
    glow.setColorAt(0, QColor(70, 120, 190));
    glow.setColorAt(1, QColor(20, 40, 90));
    p.setBrush(glow);
    p.setPen(Qt::NoPen);
    p.drawRect(screen);
    p.setPen(QColor(230, 236, 250));
    QFont font = p.font();
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.drawText(screen, Qt::AlignCenter, QStringLiteral("Audrey"));

    // The buttons beside the screen.
    drawButton(p, twipsRect(3250, 1960, 175, 175), QColor(200, 80, 70));
    drawButton(p, twipsRect(3250, 2265, 175, 175), QColor(80, 140, 200));
    drawButton(p, twipsRect(3250, 2550, 175, 175), QColor(90, 170, 90));
    drawButton(p, twipsRect(3265, 2950, 135, 135), QColor(170, 166, 158));
    drawButton(p, twipsRect(3265, 3150, 135, 135), QColor(170, 166, 158));

    // The bottom (mail) LED and the channel knob.
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(240, 170, 40));
    p.drawEllipse(twipsRect(1080, 3560, 255, 255).adjusted(1, 1, -1, -1));
    QRadialGradient knob(twipsRect(1825, 3600, 315, 315).center(), 11);
    knob.setColorAt(0, QColor(210, 206, 198));
    knob.setColorAt(1, QColor(120, 116, 110));
    p.setBrush(knob);
    p.drawEllipse(twipsRect(1825, 3600, 315, 315));
    p.setPen(QPen(kDarkGrey, 2));
    const QPointF c = twipsRect(1825, 3600, 315, 315).center();
    p.drawLine(c, c + QPointF(0, -8));

    // The keyboard symbol that folds the selection panel (drawn inside the case's outline),
    // and the panel.
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(248, 246, 240));
    const QRectF symbol = twipsRect(1750, 4000, 450, 170).adjusted(0, -1, 0, -5);
    p.drawRect(symbol);
    for (double x = symbol.left() + 3; x < symbol.right() - 2; x += 4)
        p.drawLine(QPointF(x, symbol.top() + 2), QPointF(x, symbol.bottom() - 2));
    drawPanel(p);
    p.end();
    return image;
}

} // namespace remote
