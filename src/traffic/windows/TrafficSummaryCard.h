#pragma once

#include <QWidget>

class QLabel;

// The gradient card with the period's download, upload and total: a title over a value in
// each of three equal columns.
class TrafficSummaryCard : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 96;

    explicit TrafficSummaryCard(QWidget* parent = nullptr);

    QLabel* downTitle = nullptr;
    QLabel* upTitle = nullptr;
    QLabel* totalTitle = nullptr;
    QLabel* totalDownLabel = nullptr;
    QLabel* totalUpLabel = nullptr;
    QLabel* totalAllLabel = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
};
