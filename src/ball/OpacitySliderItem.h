#pragma once

#include <QWidget>

#include <functional>

class QSlider;

// The opacity submenu's slider row: 220 x 46, a caption under a slider from 10 to 100 percent.
class OpacitySliderItem : public QWidget {
    Q_OBJECT
public:
    OpacitySliderItem(double currentOpacity, std::function<void(int)> changed);

    QSlider* slider() const { return m_slider; }

private:
    QSlider* m_slider;
};
