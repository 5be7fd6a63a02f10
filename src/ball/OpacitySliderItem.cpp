#include "ball/OpacitySliderItem.h"

#include "ball/BallOpacity.h"

#include <QLabel>
#include <QSlider>

OpacitySliderItem::OpacitySliderItem(double currentOpacity, std::function<void(int)> changed) {
    setFixedSize(220, 46);
    auto* caption = new QLabel(QStringLiteral("拖动调节透明度"), this);
    caption->setGeometry(12, 28, 196, 14);
    QFont font = caption->font();
    font.setPixelSize(10);
    font.setWeight(QFont::Medium);
    caption->setFont(font);
    caption->setForegroundRole(QPalette::PlaceholderText);

    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setGeometry(12, 6, 196, 20);
    m_slider->setRange(BallOpacity::kSliderMinimum, BallOpacity::kSliderMaximum);
    m_slider->setValue(BallOpacity::toSliderPercent(currentOpacity));
    connect(m_slider, &QSlider::valueChanged, this, [changed = std::move(changed)](int value) {
        if (changed)
            changed(value);
    });
}
