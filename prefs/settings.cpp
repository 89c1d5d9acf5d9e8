#include "prefs/settings.h"

#include "filter/program_list.h"
#include "prefs/json_parser.h"
#include "prefs/json_writer.h"

namespace quillet {

namespace {

constexpr char16_t kExcludeEscape[] = u"exclude_escape";
constexpr char16_t kDoublePressTimeout[] = u"doublePressTimeout";
constexpr char16_t kRunAsAdmin[] = u"runAsAdmin";
constexpr char16_t kExemptPrograms[] = u"exemptPrograms";

// A missing member, or a root that is no object, leaves the setting as it is.
template <class Setting>
void ReadMember(const JsonValue& root, std::u16string_view name, Setting& setting) {
    if (const JsonValue* member = FindJsonMember(root, name))
        setting = static_cast<Setting>(JsonIntegerValue(*member));
}

// Anything but an array leaves the names as they are. Once the list is full the
// rest of the array is not looked at.
void ReadPrograms(const JsonValue& root, std::vector<std::u16string>& programs) {
    const JsonValue* member = FindJsonMember(root, kExemptPrograms);
    if (!member || member->kind != JsonKind::Array) return;
    ProgramList list;
    for (const auto& element : member->elements) {
        if (list.Names().size() == ProgramList::kMaxPrograms) break;
        if (element->kind == JsonKind::String) list.Add(element->text);
    }
    programs = list.Names();
}

JsonValue& AddMember(std::vector<JsonMember>& members, std::u16string_view name) {
    return members.emplace_back(JsonMember{std::u16string(name), JsonValue()}).value;
}

void WriteMember(std::vector<JsonMember>& members, std::u16string_view name, int64_t setting) {
    SetJsonInteger(AddMember(members, name), setting);
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
    ReadPrograms(root, settings.exemptPrograms);
    return true;
}

bool SaveSettings(const SettingsRecord& settings) {
    return SaveSettings(settings, kSettingsFileName);
}

bool SaveSettings(const SettingsRecord& settings, const std::u16string& path, FileOps& ops) {
    // In a fixed order: the member table would put the names before runAsAdmin.
    std::vector<JsonMember> members;
    WriteMember(members, kExcludeEscape, settings.exclude_escape);
    WriteMember(members, kDoublePressTimeout, settings.doublePressTimeout);
    WriteMember(members, kRunAsAdmin, settings.runAsAdmin);
    if (!settings.exemptPrograms.empty()) {
        JsonValue& names = AddMember(members, kExemptPrograms);
        SetJsonArray(names);
        for (const std::u16string& name : settings.exemptPrograms)
            SetJsonString(*AddJsonElement(names), name);
    }
    return SaveJsonObject(members, path, kJsonPrettyPrint, ops);
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
