#include "traffic/windows/DataPlanCard.h"

#include "traffic/core/DataPlanText.h"
#include "traffic/windows/DataPlanBar.h"
#include "ui/TailElidedLabel.h"
#include "ui/TrafficFont.h"
#include "ui/TrafficTheme.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

DataPlanCard::DataPlanCard(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("dataPlanCard"));
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(16, 12, 16, 12);
    stack->setSpacing(6);

    titleLabel = TailElidedLabel::make(QStringLiteral("dataPlanTitle"),
                                       trafficFont(12, QFont::DemiBold), TrafficTheme::textPrimary);
    stack->addWidget(titleLabel);
    stack->addSpacing(2);
    bar = new DataPlanBar;
    stack->addWidget(bar);
    stack->addSpacing(2);
    usedLabel = TailElidedLabel::make(QStringLiteral("dataPlanUsed"),
                                      trafficFont(13, QFont::DemiBold), TrafficTheme::textPrimary);
    stack->addWidget(usedLabel);
    remainingLabel =
        TailElidedLabel::make(QStringLiteral("dataPlanRemaining"), trafficFont(12, QFont::Medium),
                              TrafficTheme::textSecondary);
    stack->addWidget(remainingLabel);
    forecastLabel = TailElidedLabel::make(QStringLiteral("dataPlanForecast"),
                                          trafficFont(11, QFont::Medium), TrafficTheme::textDim);
    stack->addWidget(forecastLabel);
    retentionLabel =
        TailElidedLabel::make(QStringLiteral("dataPlanRetention"), trafficFont(11, QFont::Medium),
                              DataPlanBar::fillColor(80));
    retentionLabel->hide();
    stack->addWidget(retentionLabel);
}

void DataPlanCard::setUsage(const DataPlanUsage& usage, qint64 retentionDays) {
    titleLabel->setText(DataPlanText::cardTitle(usage.cycle));
    bar->setPercent(usage.percent);
    usedLabel->setText(DataPlanText::usedLine(usage));
    remainingLabel->setText(DataPlanText::remainingLine(usage));
    forecastLabel->setText(DataPlanText::forecastLine(usage));
    const QString note = DataPlanText::retentionNote(usage, retentionDays);
    retentionLabel->setText(note);
    retentionLabel->setVisible(!note.isEmpty());
}

void DataPlanCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 14, 14);
    painter.fillPath(path, TrafficTheme::cardBG);
}
