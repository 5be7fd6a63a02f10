#include "settings/SettingsSchema.h"

#include <cstddef>
#include <cstdint>

// `vorn config set` hands any text to the schema. The first byte picks the setting, the rest is
// the value: a value is either refused with a reason or accepted within the setting's range,
// and what is shown for it is accepted again and shown the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const auto& settings = SettingsSchema::settings();
    const SettingsSchema::Setting& setting = settings[data[0] % settings.size()];
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const SettingsSchema::Parsed parsed = SettingsSchema::parse(setting, text);
    if (parsed.error.isEmpty() == !parsed.value.isValid())
        __builtin_trap();
    if (!parsed.value.isValid())
        return 0;
    using SettingsSchema::Type;
    if (setting.type == Type::real &&
        (parsed.value.toDouble() < setting.minimum || parsed.value.toDouble() > setting.maximum))
        __builtin_trap();
    if (setting.type == Type::integer && double(parsed.value.toLongLong()) < setting.minimum)
        __builtin_trap();
    const QString shown = SettingsSchema::format(setting, parsed.value);
    const SettingsSchema::Parsed again = SettingsSchema::parse(setting, shown);
    if (!again.error.isEmpty() || SettingsSchema::format(setting, again.value) != shown)
        __builtin_trap();
    return 0;
}
