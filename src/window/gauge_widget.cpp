#include "window/gauge_widget.h"

#include <QPainter>

#include <algorithm>

namespace flash410::window {

GaugeWidget::GaugeWidget(QWidget* parent) : QWidget(parent) {}

void GaugeWidget::SetProgress(int progress, int maxValue) {
    if (progress == progress_ && maxValue == maxValue_) {
        return;
    }
    progress_ = progress;
    maxValue_ = maxValue;
    update();
}

int GaugeWidget::Percent() const {
    if (maxValue_ <= 0) {
        return 0;
    }
    return static_cast<int>(std::clamp<long long>(100LL * progress_ / maxValue_, 0, 100));
}

void GaugeWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    const QRect inside = frame.adjusted(1, 1, 0, 0);
    const int filledWidth = inside.width() * Percent() / 100;
    const QRect filled(inside.left(), inside.top(), filledWidth, inside.height());
    const QString text = QString::number(Percent()) + "%";

    painter.fillRect(inside, Qt::white);
    painter.setPen(Qt::black);
    painter.drawText(inside, Qt::AlignCenter, text);
    painter.fillRect(filled, Qt::black);
    painter.setClipRect(filled);
    painter.setPen(Qt::white);
    painter.drawText(inside, Qt::AlignCenter, text);
    painter.setClipping(false);
    painter.setPen(Qt::gray);
    painter.drawRect(frame);
}

}  // namespace flash410::window
