#pragma once

#include <QLineEdit>

// A value field that commits only text its NumberOnlyFormatter accepts. Text that is not
// accepted is never committed: leaving the field puts the last committed value back.
class NumberField : public QLineEdit {
    Q_OBJECT
public:
    // Shows value as "%.0f", the way the stored value is displayed.
    explicit NumberField(double value, QWidget* parent = nullptr);

    // The last committed value.
    double doubleValue() const { return m_value; }

Q_SIGNALS:
    // The user finished editing with an accepted number (now doubleValue()).
    void committed();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    // The standard edit menu in the window's palette: a menu is a window of its own and would
    // take the desktop's colours.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void commit();

    double m_value = 0;
};
