#include "prefs/settings.h"

#include <cstddef>

#include "prefs/json_document.h"
#include "prefs/json_writer.h"

namespace quillet {

namespace {

// The settings file only ever uses this one document number.
constexpr int kSettingsDocument = 0;

constexpr FieldEntry kSettingsFields[] = {
    {kFieldUInt8, offsetof(SettingsRecord, exclude_escape), "exclude_escape"},
    {kFieldInt32Alt, offsetof(SettingsRecord, doublePressTimeout), "doublePressTimeout"},
    {kFieldUInt8, offsetof(SettingsRecord, runAsAdmin), "runAsAdmin"},
};

constexpr RecordDescriptor kSettingsDescriptor{"prefsstruct", kSettingsFields};

}  // namespace

const RecordDescriptor& SettingsDescriptor() { return kSettingsDescriptor; }

bool LoadSettings(SettingsRecord& settings) { return LoadSettings(settings, kSettingsFileName); }

bool LoadSettings(SettingsRecord& settings, const std::u16string& path, FileOps& ops) {
    const int64_t size = ops.SizeOf(path);
    if (size < 0 || size > static_cast<int64_t>(kMaxSettingsFileSize)) return false;
    if (!LoadJsonFile(kSettingsDocument, path, ops, kMaxSettingsFileSize)) return false;
    ExtractRecord(*JsonRoot(kSettingsDocument), &settings, sizeof settings, kSettingsDescriptor,
                  kKeepCurrentValues);
    FreeJson(kSettingsDocument);
    return true;
}

bool SaveSettings(const SettingsRecord& settings) {
    return SaveSettings(settings, kSettingsFileName);
}

bool SaveSettings(const SettingsRecord& settings, const std::u16string& path, FileOps& ops) {
    if (!CreateJson(kSettingsDocument)) return false;
    InsertRecord(*JsonRoot(kSettingsDocument), &settings, kSettingsDescriptor);
    const bool saved = SaveJsonFile(kSettingsDocument, path, kJsonPrettyPrint, ops);
    FreeJson(kSettingsDocument);
    return saved;
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
