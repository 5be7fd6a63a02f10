#pragma once

#include "speedtest/SpeedTestRecord.h"

#include <QWidget>

class QLabel;

// One 52-high row of the history list: time, grade chip, rates and ping on the first line,
// the compact network identity below, full details as tooltip.
class SpeedTestRecordView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 52;

    explicit SpeedTestRecordView(QWidget* parent = nullptr);

    void configure(const SpeedTestRecord& record);
    static QColor gradeColor(const QString& grade);

    QRect gradeChipRect() const { return m_gradeChip; }
    QColor gradeChipColor() const { return m_chipColor; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void layoutLabels();

    QLabel* timeLabel;
    QLabel* gradeLabel;
    QLabel* downLabel;
    QLabel* upLabel;
    QLabel* pingLabel;
    QLabel* identityLabel;
    QRect m_gradeChip;
    QColor m_chipColor;
    QString m_identityText;
};
