#pragma once

#include <QDoubleValidator>

// Accepts plain decimal numbers from 0 to 100000, fractions allowed, with a full stop as the
// decimal mark whatever the locale.
class NumberOnlyFormatter : public QDoubleValidator {
    Q_OBJECT
public:
    explicit NumberOnlyFormatter(QObject* parent = nullptr);

    static constexpr double kMinimum = 0;
    static constexpr double kMaximum = 100000;
};
