#include "app/SpeedView.h"

#include <algorithm>

namespace {

void push(std::vector<double>& history, double value) {
    std::shift_left(history.begin(), history.end(), 1);
    history.back() = value;
}

} // namespace

SpeedView::SpeedView(QWidget* parent) : QWidget(parent) {
    resize(widgetSize);
}

void SpeedView::recordTick(const TickResult& tick) {
    uploadSpeed = tick.up;
    downloadSpeed = tick.down;
    peakUp = std::max(peakUp, tick.up);
    peakDown = std::max(peakDown, tick.down);
    totalUp = saturatingAdd(totalUp, tick.dUp);
    totalDown = saturatingAdd(totalDown, tick.dDown);
    push(upHistory, tick.up);
    push(downHistory, tick.down);
    update();
}

void SpeedView::resetStats() {
    peakUp = peakDown = 0;
    totalUp = totalDown = 0;
    std::fill(upHistory.begin(), upHistory.end(), 0.0);
    std::fill(downHistory.begin(), downHistory.end(), 0.0);
    update();
}
