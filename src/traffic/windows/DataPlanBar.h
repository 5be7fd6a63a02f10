#pragma once

#include <QColor>
#include <QWidget>

// The data plan's progress bar: blue below 80 %, amber from 80 %, red from 100 % (then full).
class DataPlanBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 8;

    explicit DataPlanBar(QWidget* parent = nullptr);

    void setPercent(double percent);
    double percent() const { return m_percent; }
    static QColor fillColor(double percent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_percent = 0;
};
