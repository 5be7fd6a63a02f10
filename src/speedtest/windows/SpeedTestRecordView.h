#pragma once

#include "speedtest/core/SpeedTestRecord.h"

#include <QWidget>

// One 52-high row of the history list: time, grade chip, ping and rates on the first line, the
// compact network identity below, full details as tooltip. The row draws its texts itself, so
// refilling a page of rows costs only the text formatting; layout happens when a row is drawn.
class SpeedTestRecordView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 52;

    struct Texts {
        QString time;
        QString grade;
        QString down;
        QString up;
        QString ping;
        QString identity;
    };
    struct Layout {
        QRect timeLabel;
        QRect gradeChip;
        QRect gradeLabel;
        QRect downLabel;
        QRect upLabel;
        QRect pingLabel;
        QRect identityLabel;
        QString identityShown;
    };

    explicit SpeedTestRecordView(QWidget* parent = nullptr);

    void configure(const SpeedTestRecord& record);
    static QColor gradeColor(const QString& grade);

    const Texts& texts() const { return m_texts; }
    QColor gradeChipColor() const { return m_chipColor; }
    // Where each piece goes at the row's current width.
    Layout layout() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Texts m_texts;
    QColor m_chipColor;
};
