#include "traffic/windows/DataPlanBar.h"

#include "ui/TrafficTheme.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

DataPlanBar::DataPlanBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("dataPlanBar"));
    setFixedHeight(kHeight);
}

void DataPlanBar::setPercent(double percent) {
    m_percent = percent;
    update();
}

QColor DataPlanBar::fillColor(double percent) {
    if (percent >= 100)
        return TrafficTheme::rgb(1.0, 0.38, 0.38);
    if (percent >= 80)
        return TrafficTheme::rgb(1.0, 0.74, 0.28);
    return TrafficTheme::downBlue;
}

void DataPlanBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track(rect());
    const double radius = track.height() / 2;
    QPainterPath trackPath;
    trackPath.addRoundedRect(track, radius, radius);
    painter.fillPath(trackPath, TrafficTheme::white(1.0, 0.08));

    const double fraction = std::clamp(m_percent / 100.0, 0.0, 1.0);
    if (!(fraction > 0))
        return;
    // Never thinner than the rounded ends, so a little use still shows.
    const double width = std::max(track.width() * fraction, track.height());
    QPainterPath fillPath;
    fillPath.addRoundedRect(QRectF(track.topLeft(), QSizeF(width, track.height())), radius, radius);
    painter.fillPath(fillPath, fillColor(m_percent));
}
