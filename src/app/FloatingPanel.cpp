#include "app/FloatingPanel.h"

#include "app/Brand.h"

#include <QResizeEvent>

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
