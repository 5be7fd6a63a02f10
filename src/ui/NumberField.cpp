#include "ui/NumberField.h"

#include "common/CFormat.h"
#include "ui/NumberOnlyFormatter.h"

#include <QContextMenuEvent>
#include <QMenu>

NumberField::NumberField(double value, QWidget* parent) : QLineEdit(parent) {
    setValidator(new NumberOnlyFormatter(this));
    setText(cformat("%.0f", value));
    m_value = QLocale::c().toDouble(text());
    connect(this, &QLineEdit::editingFinished, this, &NumberField::commit);
}

void NumberField::commit() {
    bool ok = false;
    const double value = QLocale::c().toDouble(text(), &ok);
    if (!ok)
        return;
    m_value = value;
    Q_EMIT committed();
}

void NumberField::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setPalette(window()->palette());
    menu->popup(event->globalPos());
}

void NumberField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!hasAcceptableInput())
        setText(cformat("%.0f", m_value));
}
