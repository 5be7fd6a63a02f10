#pragma once

#include "traffic/core/DataPlan.h"

#include <QWidget>

class DataPlanBar;
class QLabel;

// The statistics window's data plan card: the billing cycle, a progress bar, used and
// remaining amounts, the forecast, and a note when retention drops days of the cycle.
class DataPlanCard : public QWidget {
    Q_OBJECT
public:
    explicit DataPlanCard(QWidget* parent = nullptr);

    // retentionDays as the store reads it, for the note.
    void setUsage(const DataPlanUsage& usage, qint64 retentionDays);

    QLabel* titleLabel = nullptr;
    DataPlanBar* bar = nullptr;
    QLabel* usedLabel = nullptr;
    QLabel* remainingLabel = nullptr;
    QLabel* forecastLabel = nullptr;
    QLabel* retentionLabel = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
};
