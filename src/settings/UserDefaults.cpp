#include "settings/UserDefaults.h"

#include "common/Brand.h"

#include <QSettings>

#include <cmath>
#include <limits>

namespace {

QSettings& store() {
    static QSettings settings(QSettings::NativeFormat, QSettings::UserScope, Brand::english,
                              Brand::english);
    return settings;
}

double finiteOrZero(double v) {
    return std::isfinite(v) ? v : 0.0;
}

qint64 clampToInteger(double v) {
    if (!std::isfinite(v))
        return 0;
    if (v >= 9.2e18)
        return std::numeric_limits<qint64>::max();
    if (v <= -9.2e18)
        return std::numeric_limits<qint64>::min();
    return qint64(v);
}

} // namespace

namespace UserDefaults {

QVariant rawValue(const QString& key) {
    return store().value(key);
}

bool contains(const QString& key) {
    return store().contains(key);
}

QStringList keys() {
    return store().allKeys();
}

double doubleValue(const QString& key) {
    const QVariant value = rawValue(key);
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (ok)
        return finiteOrZero(v);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? 1.0 : 0.0;
    return 0.0;
}

qint64 integerValue(const QString& key) {
    const QVariant value = rawValue(key);
    bool ok = false;
    const qlonglong exact = value.toString().trimmed().toLongLong(&ok);
    if (ok)
        return exact;
    return clampToInteger(doubleValue(key));
}

bool boolValue(const QString& key) {
    const QVariant value = rawValue(key);
    if (!value.isValid())
        return false;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    const QString text = value.toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("yes"))
        return true;
    return integerValue(key) != 0;
}

std::optional<QString> stringValue(const QString& key) {
    const QVariant value = rawValue(key);
    if (!value.isValid() || !value.canConvert<QString>())
        return std::nullopt;
    return value.toString();
}

void setDouble(const QString& key, double value) {
    store().setValue(key, value);
}
void setInteger(const QString& key, qint64 value) {
    store().setValue(key, value);
}
void setBool(const QString& key, bool value) {
    store().setValue(key, value);
}
void setString(const QString& key, const QString& value) {
    store().setValue(key, value);
}
void remove(const QString& key) {
    store().remove(key);
}
bool sync() {
    store().sync();
    return store().status() != QSettings::AccessError;
}
QString fileName() {
    return store().fileName();
}

} // namespace UserDefaults
