#include "window/banner.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

namespace flash410::window {
namespace {

const QColor kFieldTop(0x1d, 0x45, 0x9a);
const QColor kFieldMiddle(0x0c, 0x22, 0x5a);
const QColor kFieldBottom(0x05, 0x10, 0x30);
const QColor kDishLight(0xf2, 0xf5, 0xfa);
const QColor kDishShade(0x9a, 0xa8, 0xc0);
const QColor kSignal(0x7f, 0xd6, 0xff);
const QColor kAccent(0xe8, 0xa8, 0x20);
const QColor kSubtitle(0xc6, 0xd8, 0xff);

// The dish sits left of the text; everything right of kTextLeft is lettering.
constexpr qreal kTextLeft = 84;
constexpr qreal kTextRight = kBannerWidth - 8;
constexpr QPointF kDishCentre(32, 35);
// The dish faces up and to the right, towards the lettering.
constexpr qreal kDishTiltDegrees = 35;

void PaintField(QPainter& painter) {
    QLinearGradient field(0, 0, 0, kBannerHeight);
    field.setColorAt(0.0, kFieldTop);
    field.setColorAt(0.55, kFieldMiddle);
    field.setColorAt(1.0, kFieldBottom);
    painter.fillRect(QRectF(0, 0, kBannerWidth, kBannerHeight), field);

    // A soft glow behind the dish lifts it off the field.
    QRadialGradient glow(kDishCentre, 40);
    glow.setColorAt(0.0, QColor(0x4f, 0x8a, 0xe0, 110));
    glow.setColorAt(1.0, QColor(0x4f, 0x8a, 0xe0, 0));
    painter.fillRect(QRectF(0, 0, kTextLeft, kBannerHeight), glow);

    painter.setPen(QPen(QColor(0x5a, 0x7e, 0xc8), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(0.5, 0.5, kBannerWidth - 1, kBannerHeight - 1));
}

// The dish in its own frame: the bowl opens towards -y, the feed sits at the focus above it.
// Returns the focus in banner coordinates, where the signal starts.
QPointF PaintDish(QPainter& painter) {
    painter.save();
    // Stand and foot, drawn upright before the dish is tilted.
    painter.setPen(QPen(kDishShade, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(kDishCentre + QPointF(0, 6), QPointF(kDishCentre.x() - 4, 60));
    painter.setPen(QPen(kDishLight, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(kDishCentre.x() - 16, 61), QPointF(kDishCentre.x() + 8, 61));

    painter.translate(kDishCentre);
    painter.rotate(kDishTiltDegrees);

    const QRectF rim(-24, -7, 48, 14);
    QPainterPath bowl;
    bowl.moveTo(-24, 0);
    bowl.cubicTo(-22, 20, 22, 20, 24, 0);
    bowl.closeSubpath();
    QLinearGradient bowlShade(-24, 0, 24, 0);
    bowlShade.setColorAt(0.0, kDishShade);
    bowlShade.setColorAt(0.45, kDishLight);
    bowlShade.setColorAt(1.0, kDishShade);
    painter.setPen(Qt::NoPen);
    painter.setBrush(bowlShade);
    painter.drawPath(bowl);

    // The open face of the bowl, seen at a slant.
    painter.setBrush(QColor(0xd8, 0xe0, 0xee));
    painter.setPen(QPen(kDishLight, 1.2));
    painter.drawEllipse(rim);

    // Feed arm from the middle of the bowl to the receiver at the focus.
    const QPointF focus(0, -17);
    painter.setPen(QPen(kDishShade, 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(0, 2), focus);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kDishLight);
    painter.drawRoundedRect(QRectF(focus.x() - 3, focus.y() - 4, 6, 6), 1.5, 1.5);

    const QPointF focusOnBanner = painter.transform().map(focus);
    painter.restore();
    return focusOnBanner;
}

void PaintSignal(QPainter& painter, QPointF from) {
    // Qt measures arc angles anticlockwise from three o'clock; the dish faces up and to the right.
    constexpr qreal kFacingDegrees = 90 - kDishTiltDegrees;
    constexpr qreal kSpreadDegrees = 56;
    painter.setBrush(Qt::NoBrush);
    for (int wave = 1; wave <= 3; ++wave) {
        const qreal radius = 4.0 + 5.0 * wave;
        QColor colour = kSignal;
        colour.setAlpha(255 - 55 * wave);
        painter.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::RoundCap));
        const QRectF circle(from.x() - radius, from.y() - radius, 2 * radius, 2 * radius);
        painter.drawArc(circle, static_cast<int>((kFacingDegrees - kSpreadDegrees / 2) * 16),
                        static_cast<int>(kSpreadDegrees * 16));
    }
}

// The largest font of the family, no larger than pixelSize, whose text fits the width.
QFont FittingFont(QFont font, int pixelSize, const QString& text, qreal width) {
    for (; pixelSize > 6; --pixelSize) {
        font.setPixelSize(pixelSize);
        if (QFontMetricsF(font).horizontalAdvance(text) <= width) {
            break;
        }
    }
    return font;
}

void PaintLettering(QPainter& painter) {
    const qreal width = kTextRight - kTextLeft;

    const QString name = QStringLiteral("VARNEL");
    QFont nameFont(QStringLiteral("Arial"));
    nameFont.setBold(true);
    nameFont.setLetterSpacing(QFont::AbsoluteSpacing, 6);
    nameFont = FittingFont(nameFont, 31, name, width);
    painter.setFont(nameFont);
    painter.setPen(QColor(0, 0, 0, 120));
    painter.drawText(QPointF(kTextLeft + 1.5, 35.5), name);  // drop shadow
    painter.setPen(Qt::white);
    painter.drawText(QPointF(kTextLeft, 34), name);

    QLinearGradient rule(kTextLeft, 0, kTextRight, 0);
    rule.setColorAt(0.0, kAccent);
    rule.setColorAt(1.0, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 0));
    painter.fillRect(QRectF(kTextLeft, 40, width, 2), rule);

    const QString product = QStringLiteral("ZRM-410 Flash Upload");
    QFont productFont(QStringLiteral("Arial"));
    productFont.setBold(true);
    productFont.setItalic(true);
    productFont = FittingFont(productFont, 16, product, width);
    painter.setFont(productFont);
    painter.setPen(kSubtitle);
    painter.drawText(QPointF(kTextLeft, 59), product);
}

}  // namespace

QImage PaintBanner() {
    QImage canvas(kBannerWidth, kBannerHeight, QImage::Format_RGB32);
    canvas.fill(kFieldBottom);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        PaintField(painter);
        const QPointF focus = PaintDish(painter);
        PaintSignal(painter, focus);
        PaintLettering(painter);
    }
    return canvas.convertToFormat(QImage::Format_RGB888);
}

void ShowBanner(QLabel& label) {
    label.setAlignment(Qt::AlignCenter);
    label.setPixmap(QPixmap::fromImage(PaintBanner()));
}

}  // namespace flash410::window
