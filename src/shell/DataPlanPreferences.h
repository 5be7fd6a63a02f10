#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>

#include <functional>

class NumberField;
class QCheckBox;
class QComboBox;
class QLayout;
class QWidget;

// The preferences' data plan card: quota, reset day, counted directions and alerts. Every
// control writes its own setting when it fires and posts "NDDataPlanChanged".
class DataPlanPreferences : public QObject {
    Q_OBJECT
public:
    // A setting row: a label before the given controls.
    using RowMaker = std::function<QWidget*(const QString& label, QWidget* control)>;

    explicit DataPlanPreferences(QObject* parent = nullptr);

    // Puts the card's rows, with the stored values, into rows; labelColor for the unit.
    void addRows(QLayout& rows, const RowMaker& makeRow, const QColor& labelColor);

    QPointer<NumberField> quotaField;
    QPointer<QComboBox> resetDayPopup;
    QPointer<QComboBox> countsPopup;
    QPointer<QCheckBox> alertsCheck;

public Q_SLOTS:
    void quotaChanged();
    void resetDayChanged();
    void countsChanged();
    void alertsChanged(bool on);
};
