#include "cli/ConfigCommand.h"

#include "cli/CommandLine.h"
#include "cli/Terminal.h"
#include "settings/SettingsSchema.h"
#include "settings/UserDefaults.h"

namespace ConfigCommand {

namespace {

using SettingsSchema::Setting;

const QString kHelp =
    QStringLiteral("用法:\n"
                   "  vorn config list              列出所有设置、当前值与含义\n"
                   "  vorn config get KEY           打印 KEY 的值（未设置时打印程序使用的默认值）\n"
                   "  vorn config set KEY VALUE     按 KEY 的类型检查并保存 VALUE\n"
                   "  vorn config unset KEY         删除 KEY，恢复默认\n"
                   "正在运行的程序在下次启动时读取修改。\n");

int usageError(const QString& message) {
    printError(message + QStringLiteral("\n\n") + kHelp);
    return kExitUsage;
}

const Setting* knownKey(const QString& key) {
    const Setting* setting = SettingsSchema::find(key);
    if (!setting)
        printError(QStringLiteral("未知设置: %1（vorn config list 列出所有设置）\n").arg(key));
    return setting;
}

// The value as stored, or what the program uses while it is absent; nullopt when neither.
std::optional<QString> currentText(const Setting& setting) {
    if (UserDefaults::contains(setting.key))
        return SettingsSchema::format(setting, UserDefaults::rawValue(setting.key));
    if (!setting.whenAbsent.isEmpty())
        return setting.whenAbsent;
    return std::nullopt;
}

int list() {
    QString text;
    for (const Setting& setting : SettingsSchema::settings()) {
        QString value;
        if (UserDefaults::contains(setting.key))
            value = SettingsSchema::format(setting, UserDefaults::rawValue(setting.key));
        else
            value = setting.whenAbsent.isEmpty()
                        ? QStringLiteral("（未设置）")
                        : QStringLiteral("（未设置，默认 %1）").arg(setting.whenAbsent);
        QString kind = SettingsSchema::typeName(setting.type);
        if (!setting.choices.isEmpty())
            kind = setting.choices.join(u'|');
        text +=
            QStringLiteral("%1 = %2\n    %3；%4\n").arg(setting.key, value, setting.meaning, kind);
    }
    printOut(text);
    return 0;
}

int get(const QString& key) {
    const Setting* setting = knownKey(key);
    if (!setting)
        return kExitUsage;
    const std::optional<QString> value = currentText(*setting);
    if (!value) {
        printError(QStringLiteral("%1 未设置\n").arg(key));
        return kExitFailure;
    }
    printOut(*value + u'\n');
    return 0;
}

// Writes the store's changes to its file; false, said on stderr, when it cannot.
bool saved() {
    if (UserDefaults::sync())
        return true;
    printError(QStringLiteral("无法写入设置文件：%1\n").arg(UserDefaults::fileName()));
    return false;
}

void store(const Setting& setting, const QVariant& value) {
    switch (setting.type) {
    case SettingsSchema::Type::real:
        UserDefaults::setDouble(setting.key, value.toDouble());
        break;
    case SettingsSchema::Type::integer:
        UserDefaults::setInteger(setting.key, value.toLongLong());
        break;
    case SettingsSchema::Type::boolean:
        UserDefaults::setBool(setting.key, value.toBool());
        break;
    default:
        UserDefaults::setString(setting.key, value.toString());
        break;
    }
}

int set(const QString& key, const QString& text) {
    const Setting* setting = knownKey(key);
    if (!setting)
        return kExitUsage;
    const SettingsSchema::Parsed parsed = SettingsSchema::parse(*setting, text);
    if (!parsed.error.isEmpty()) {
        printError(parsed.error + u'\n');
        return kExitUsage;
    }
    store(*setting, parsed.value);
    return saved() ? 0 : kExitFailure;
}

int unset(const QString& key) {
    const Setting* setting = knownKey(key);
    if (!setting)
        return kExitUsage;
    UserDefaults::remove(setting->key);
    return saved() ? 0 : kExitFailure;
}

} // namespace

int run(const QStringList& arguments) {
    const QString verb = arguments.value(0);
    if (verb == QLatin1String("--help") || verb == QLatin1String("-h")) {
        printOut(kHelp);
        return 0;
    }
    if (verb == QLatin1String("list") && arguments.size() == 1)
        return list();
    if (verb == QLatin1String("get") && arguments.size() == 2)
        return get(arguments[1]);
    if (verb == QLatin1String("set") && arguments.size() == 3)
        return set(arguments[1], arguments[2]);
    if (verb == QLatin1String("unset") && arguments.size() == 2)
        return unset(arguments[1]);
    if (verb.isEmpty())
        return usageError(QStringLiteral("缺少操作"));
    return usageError(QStringLiteral("无法理解的参数: %1").arg(arguments.join(u' ')));
}

} // namespace ConfigCommand
