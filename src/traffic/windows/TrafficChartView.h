#pragma once

#include "traffic/core/TrafficChartData.h"

#include <QWidget>

#include <vector>

// The statistics window's bar chart: download and upload bars per group on a decimal scale
// with 1024-based labels, a legend, and "暂无数据" when there is nothing to show.
class TrafficChartView : public QWidget {
    Q_OBJECT
public:
    explicit TrafficChartView(QWidget* parent = nullptr);

    const std::vector<BarGroup>& barData() const { return m_barData; }
    // Replaces the groups and redraws.
    void setBarData(std::vector<BarGroup> groups);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<BarGroup> m_barData;
};
