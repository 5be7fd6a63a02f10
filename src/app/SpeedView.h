#pragma once

#include "app/RateSampler.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <vector>

class FloatingPanel;

// The content of the floating panel: current rates, peaks, totals and the one-minute history.
class SpeedView : public QWidget {
    Q_OBJECT
public:
    explicit SpeedView(QWidget* parent = nullptr);

    static constexpr QSize widgetSize{216, 92};
    static constexpr int historyMax = 60;

    double uploadSpeed = 0;
    double downloadSpeed = 0;
    double peakUp = 0;
    double peakDown = 0;
    quint64 totalUp = 0;
    quint64 totalDown = 0;
    std::vector<double> upHistory = std::vector<double>(historyMax, 0.0);
    std::vector<double> downHistory = std::vector<double>(historyMax, 0.0);

    QPointer<FloatingPanel> hostPanel;

    // Takes one tick's rates and bytes into the rates, peaks, totals and histories.
    void recordTick(const TickResult& tick);

public Q_SLOTS:
    void resetStats();
};
