#include "ball/FloatingPanel.h"

#include "common/Brand.h"
#include "platform/AllWorkspaces.h"

#include <QResizeEvent>
#include <QWindow>

FloatingPanel::FloatingPanel(const QRect& frame)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(Brand::name);
    setGeometry(frame);
}

void FloatingPanel::setContentView(QWidget* view) {
    m_content = view;
    view->setParent(this);
    view->setGeometry(rect());
}

void FloatingPanel::orderFrontRegardless() {
    show();
    raise();
}

void FloatingPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_content)
        m_content->setGeometry(rect());
}

void FloatingPanel::showEvent(QShowEvent* event) {
    // Sent before the window is mapped, which is when a window manager reads the states.
    keepOnAllWorkspaces(windowHandle());
    QWidget::showEvent(event);
}
