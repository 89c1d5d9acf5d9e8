#include "prefs/settings.h"

#include "prefs/json_parser.h"
#include "prefs/json_writer.h"
#include "runtime/ignore_case.h"
#include "runtime/program_list.h"

namespace quillet {

namespace {

constexpr char16_t kExcludeEscape[] = u"exclude_escape";
constexpr char16_t kDoublePressTimeout[] = u"doublePressTimeout";
constexpr char16_t kRunAsAdmin[] = u"runAsAdmin";
constexpr char16_t kExemptPrograms[] = u"exemptPrograms";
constexpr char16_t kSinglePressKeysName[] = u"singlePressKeys";

// A missing member leaves the setting as it is.
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
    programs.resize(ProgramsThatFit(programs));
}

// Read as the program names are: anything but an array leaves the keys as they are.
void ReadSinglePressKeys(const JsonValue& root, uint32_t& keys) {
    const JsonValue* member = FindJsonMember(root, kSinglePressKeysName);
    if (!member || member->kind != JsonKind::Array) return;
    keys = 0;
    for (const auto& element : member->elements) {
        if (element->kind != JsonKind::String) continue;
        for (size_t n = 1; n <= std::size(kSinglePressKeyNames); ++n) {
            if (EqualIgnoringCase(element->text, kSinglePressKeyNames[n - 1]))
                keys |= SinglePressKeyBit(n);
        }
    }
}

JsonValue& AddMember(std::vector<JsonMember>& members, std::u16string_view name) {
    return members.emplace_back(JsonMember{std::u16string(name), JsonValue()}).value;
}

void WriteMember(std::vector<JsonMember>& members, std::u16string_view name, int64_t setting) {
    SetJsonInteger(AddMember(members, name), setting);
}

// In a fixed order: the member table would put the names before runAsAdmin.
std::vector<JsonMember> SettingsMembers(const SettingsRecord& settings) {
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
    if (const uint32_t keys = settings.singlePressKeys & kSinglePressKeyMask) {
        JsonValue& names = AddMember(members, kSinglePressKeysName);
        SetJsonArray(names);
        for (size_t n = 1; n <= std::size(kSinglePressKeyNames); ++n) {
            if (keys & SinglePressKeyBit(n))
                SetJsonString(*AddJsonElement(names), kSinglePressKeyNames[n - 1]);
        }
    }
    return members;
}

// The size of the file as names are added one by one, without writing the names
// anywhere. The layout around them is measured on one and two empty names, so it
// stays the writer's alone.
class FileSizeCounter {
  public:
    explicit FileSizeCounter(const SettingsRecord& numbers)
        : size_(SizeWithEmptyNames(numbers, 0)),
          first_(SizeWithEmptyNames(numbers, 1) - size_),
          further_(SizeWithEmptyNames(numbers, 2) - size_ - first_) {}

    void Add(std::u16string_view name) {
        size_ += (added_ ? further_ : first_) + JsonStringFileSize(name) - JsonStringFileSize({});
        added_ = true;
    }
    size_t Size() const { return size_; }

  private:
    static size_t SizeWithEmptyNames(const SettingsRecord& numbers, size_t count) {
        const SettingsRecord record{numbers.exclude_escape, numbers.doublePressTimeout,
                                    numbers.runAsAdmin, std::vector<std::u16string>(count),
                                    numbers.singlePressKeys};
        std::vector<JsonMember> members = SettingsMembers(record);
        return JsonObjectFileSize(members, kJsonPrettyPrint);
    }

    size_t size_;
    const size_t first_;
    const size_t further_;
    bool added_ = false;
};

}  // namespace

size_t SettingsFileSize(const SettingsRecord& settings) {
    FileSizeCounter counter(settings);
    for (const std::u16string& name : settings.exemptPrograms) counter.Add(name);
    return counter.Size();
}

size_t ProgramsThatFit(std::span<const std::u16string> names) {
    // The other settings at their widest: a later change of timeout or of the keys
    // must not push the file over.
    FileSizeCounter counter(
        SettingsRecord{UINT8_MAX, INT32_MIN, UINT8_MAX, {}, kSinglePressKeyMask});
    size_t fit = 0;
    for (const std::u16string& name : names) {
        counter.Add(name);
        if (counter.Size() > kMaxSettingsFileSize) break;
        ++fit;
    }
    return fit;
}

bool LoadSettings(SettingsRecord& settings, const std::u16string& path, FileOps& ops) {
    const int64_t size = ops.SizeOf(path);
    if (size < 0 || size > static_cast<int64_t>(kMaxSettingsFileSize)) return false;
    JsonValue root;
    if (!LoadJsonFile(path, root, ops, kMaxSettingsFileSize) || root.kind != JsonKind::Object)
        return false;
    ReadMember(root, kExcludeEscape, settings.exclude_escape);
    ReadMember(root, kDoublePressTimeout, settings.doublePressTimeout);
    ReadMember(root, kRunAsAdmin, settings.runAsAdmin);
    ReadPrograms(root, settings.exemptPrograms);
    ReadSinglePressKeys(root, settings.singlePressKeys);
    return true;
}

bool SaveSettings(const SettingsRecord& settings, const std::u16string& path, FileOps& ops) {
    std::vector<JsonMember> members = SettingsMembers(settings);
    return SaveJsonObject(members, path, kJsonPrettyPrint, ops);
}

int CorrectSettings(SettingsRecord& settings, const std::u16string& path, FileOps& ops) {
    return PersistentSettings(path, ops).Correct(settings);
}

bool PersistentSettings::Load(SettingsRecord& settings) {
    const bool read = LoadSettings(settings, path_, ops_);
    keepBeforeSave_ = !read && ops_.SizeOf(path_) >= 0;
    return read;
}

int PersistentSettings::Correct(SettingsRecord& settings) {
    int saves = 0;
    if (settings.doublePressTimeout < kMinDoublePressTimeout) {
        settings.doublePressTimeout = kMinDoublePressTimeout;
        Save(settings);
        ++saves;
    }
    if (settings.exclude_escape != 0 && settings.exclude_escape != 1) {
        settings.exclude_escape = 1;
        Save(settings);
        ++saves;
    }
    return saves;
}

bool PersistentSettings::Save(const SettingsRecord& settings) {
    // Copied, not moved: should the save fail after all, the file is still where it was.
    // One the user has deleted since has nothing to keep.
    if (keepBeforeSave_ && ops_.SizeOf(path_) != -1 && !ops_.Copy(path_, BackupPathFor(path_)))
        return false;
    if (!SaveSettings(settings, path_, ops_)) return false;
    keepBeforeSave_ = false;
    return true;
}

}  // namespace quillet
