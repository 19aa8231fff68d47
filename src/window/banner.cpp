#include "window/banner.h"

#include <QLabel>
#include <QSizeF>
#include <QString>

namespace flash410::window {

QImage BannerPicture(qreal devicePixelRatio) {
    return QImage(devicePixelRatio > 1 ? QStringLiteral(":/banner/banner@2x.bmp")
                                       : QStringLiteral(":/banner/banner.bmp"));
}

QPixmap BannerPixmap(qreal devicePixelRatio) {
    QImage picture = BannerPicture(devicePixelRatio);
    const QSize size = (QSizeF(kBannerWidth, kBannerHeight) * devicePixelRatio).toSize();
    if (!picture.isNull() && picture.size() != size) {
        picture = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QPixmap pixmap = QPixmap::fromImage(picture);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

void ShowBanner(QLabel& label) {
    label.setAlignment(Qt::AlignCenter);
    label.setPixmap(BannerPixmap(label.devicePixelRatioF()));
}

}  // namespace flash410::window
