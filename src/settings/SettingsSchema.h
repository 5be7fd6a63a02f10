#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <vector>

// Every setting the program keeps, with its type and the values it accepts, so tools can read
// and write the settings store without breaking what the program expects to read.
namespace SettingsSchema {

enum class Type { real, integer, boolean, choice, text, rect, dayKey, dictionary };

struct Setting {
    QString key;
    Type type;
    QString meaning;
    // What the program uses while the key is absent; empty when absence has its own meaning.
    QString whenAbsent;
    double minimum = 0;
    double maximum = 0;
    QStringList choices = {};
};

const std::vector<Setting>& settings();
const Setting* find(const QString& key);

// The stored value for text, or the reason it is refused.
struct Parsed {
    QVariant value;
    QString error;
};
Parsed parse(const Setting& setting, const QString& text);

// A stored value as text, the way parse() reads it back.
QString format(const Setting& setting, const QVariant& stored);
QString typeName(Type type);

} // namespace SettingsSchema
