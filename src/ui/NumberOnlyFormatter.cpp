#include "ui/NumberOnlyFormatter.h"

NumberOnlyFormatter::NumberOnlyFormatter(QObject* parent)
    : QDoubleValidator(kMinimum, kMaximum, 6, parent) {
    setNotation(QDoubleValidator::StandardNotation);
    QLocale plain = QLocale::c();
    plain.setNumberOptions(QLocale::RejectGroupSeparator);
    setLocale(plain);
}
