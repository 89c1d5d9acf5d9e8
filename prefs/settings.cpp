#include "prefs/settings.h"

#include "prefs/json_parser.h"
#include "prefs/json_writer.h"

namespace quillet {

namespace {

constexpr char16_t kExcludeEscape[] = u"exclude_escape";
constexpr char16_t kDoublePressTimeout[] = u"doublePressTimeout";
constexpr char16_t kRunAsAdmin[] = u"runAsAdmin";

// A missing member, or a root that is no object, leaves the setting as it is.
template <class Setting>
void ReadMember(const JsonValue& root, std::u16string_view name, Setting& setting) {
    if (const JsonValue* member = FindJsonMember(root, name))
        setting = static_cast<Setting>(JsonIntegerValue(*member));
}

void WriteMember(JsonValue& root, std::u16string_view name, int64_t setting) {
    SetJsonInteger(*SetJsonMember(root, name), setting);
}

}  // namespace

bool LoadSettings(SettingsRecord& settings) { return LoadSettings(settings, kSettingsFileName); }

bool LoadSettings(SettingsRecord& settings, const std::u16string& path, FileOps& ops) {
    const int64_t size = ops.SizeOf(path);
    if (size < 0 || size > static_cast<int64_t>(kMaxSettingsFileSize)) return false;
    JsonValue root;
    if (!LoadJsonFile(path, root, ops, kMaxSettingsFileSize)) return false;
    ReadMember(root, kExcludeEscape, settings.exclude_escape);
    ReadMember(root, kDoublePressTimeout, settings.doublePressTimeout);
    ReadMember(root, kRunAsAdmin, settings.runAsAdmin);
    return true;
}

bool SaveSettings(const SettingsRecord& settings) {
    return SaveSettings(settings, kSettingsFileName);
}

bool SaveSettings(const SettingsRecord& settings, const std::u16string& path, FileOps& ops) {
    JsonValue root;
    SetJsonObject(root);
    WriteMember(root, kExcludeEscape, settings.exclude_escape);
    WriteMember(root, kDoublePressTimeout, settings.doublePressTimeout);
    WriteMember(root, kRunAsAdmin, settings.runAsAdmin);
    return SaveJsonFile(root, path, kJsonPrettyPrint, ops);
}

int CorrectSettings(SettingsRecord& settings) {
    return CorrectSettings(settings, kSettingsFileName);
}

int CorrectSettings(SettingsRecord& settings, const std::u16string& path, FileOps& ops) {
    int saves = 0;
    if (settings.doublePressTimeout < kMinDoublePressTimeout) {
        settings.doublePressTimeout = kMinDoublePressTimeout;
        SaveSettings(settings, path, ops);
        ++saves;
    }
    if (settings.exclude_escape != 0 && settings.exclude_escape != 1) {
        settings.exclude_escape = 1;
        SaveSettings(settings, path, ops);
        ++saves;
    }
    return saves;
}

}  // namespace quillet
