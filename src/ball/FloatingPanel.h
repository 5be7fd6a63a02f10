#pragma once

#include <QWidget>

// A frameless, translucent window that floats above others on every workspace without taking
// focus or showing in the taskbar, and hosts one content view filling it.
class FloatingPanel : public QWidget {
    Q_OBJECT
public:
    explicit FloatingPanel(const QRect& frame);

    void setContentView(QWidget* view);
    QWidget* contentView() const { return m_content; }
    // Shows the panel above other windows without activating the application.
    void orderFrontRegardless();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* m_content = nullptr;
};
