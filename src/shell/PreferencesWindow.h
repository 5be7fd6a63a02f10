#pragma once

#include "settings/PreferencesCatalogue.h"

#include <QColor>
#include <QObject>
#include <QPointer>

class DataPlanPreferences;
class NumberField;
class QComboBox;
class QFrame;
class QVBoxLayout;
class QWidget;

// The preferences window: five cards of settings. Every control writes its setting as soon as
// it fires and posts the matching notification; the controls take their values when the window
// is built (on the first show) and are not refreshed afterwards.
class PreferencesWindow : public QObject, public PreferencesCatalogue {
    Q_OBJECT
public:
    PreferencesWindow();
    ~PreferencesWindow() override;

    static PreferencesWindow& shared();

    // Builds the window on first use, then brings it to the front and activates it.
    void show();

    QPointer<QWidget> window;
    const QColor cardBG = QColor::fromRgbF(0.075, 0.09, 0.14);
    const QColor titleColor = QColor::fromRgbF(0.93, 0.93, 0.93);
    const QColor subColor = QColor::fromRgbF(0.62, 0.62, 0.62);
    QPointer<NumberField> downField;
    QPointer<NumberField> upField;
    QPointer<QComboBox> downUnit;
    QPointer<QComboBox> upUnit;
    // The data plan card's controls and their actions.
    DataPlanPreferences* dataPlan = nullptr;

public Q_SLOTS:
    void alertChanged();
    void retentionChanged(QComboBox* sender);
    void displayModeChanged(QComboBox* sender);
    void launchChanged(bool on);

private:
    void buildWindow();
    // A rounded card with its title block; returns the card and the stack its rows go into.
    std::pair<QFrame*, QVBoxLayout*> makeCard(const QString& title, const QString& subtitle);
    QWidget* makeAlertRow(const QString& label, const QString& objectName, double value,
                          const QString& unit, QPointer<NumberField>& field,
                          QPointer<QComboBox>& unitPopup);
    QWidget* makeRow(const QString& label, QWidget* control);
};
