// Cost of reading and writing the settings file's text, and of a whole save and load.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "prefs/json_parser.h"
#include "prefs/json_writer.h"
#include "prefs/settings.h"
#include "runtime/text.h"
#include "tests/unit/prefs/memory_file_ops.h"

namespace quillet {
namespace {

const std::u16string kSettingsText =
    u"{\r\n  \"exclude_escape\"    : 0,\r\n  \"doublePressTimeout\": 300,\r\n"
    u"  \"runAsAdmin\"        : 0\r\n}";

void BM_ParseSettingsText(benchmark::State& state) {
    JsonValue root;
    for (auto _ : state) benchmark::DoNotOptimize(ParseJson(kSettingsText, root));
}
BENCHMARK(BM_ParseSettingsText);

void BM_WriteSettingsText(benchmark::State& state) {
    JsonValue root;
    ParseJson(kSettingsText, root);
    for (auto _ : state) benchmark::DoNotOptimize(JsonText(root, kJsonPrettyPrint));
}
BENCHMARK(BM_WriteSettingsText);

using testing::MemoryFileOps;

void BM_LoadSettings(benchmark::State& state) {
    MemoryFileOps file;
    file.bytes = Utf16ToUtf8(kSettingsText);
    for (auto _ : state) {
        SettingsRecord settings;
        benchmark::DoNotOptimize(LoadSettings(settings, kSettingsFileName, file));
        benchmark::DoNotOptimize(settings);
    }
}
BENCHMARK(BM_LoadSettings);

void BM_SaveSettings(benchmark::State& state) {
    MemoryFileOps file;
    const SettingsRecord settings;
    for (auto _ : state) benchmark::DoNotOptimize(SaveSettings(settings, kSettingsFileName, file));
}
BENCHMARK(BM_SaveSettings);

void BM_SaveAndLoadSettingsFile(benchmark::State& state) {
    const std::u16string path =
        (std::filesystem::temp_directory_path() / "quillet-bench-Quillet.json").u16string();
    SettingsRecord settings;
    for (auto _ : state) {
        SaveSettings(settings, path);
        benchmark::DoNotOptimize(LoadSettings(settings, path));
    }
    std::filesystem::remove(std::filesystem::path(path));
}
BENCHMARK(BM_SaveAndLoadSettingsFile)->Unit(benchmark::kMicrosecond);

// The costliest file start-up still reads: the size cap filled with distinct
// member names, all in one object's 64 chains.
void BM_ParseMemberFloodAtSizeCap(benchmark::State& state) {
    std::u16string text = u"{";
    for (int i = 0; text.size() + 16 < kMaxSettingsFileSize; ++i) {
        text += u"\"m" + std::u16string(IntegerText(i)) + u"\":0,";
    }
    text += u"\"end\":0}";
    JsonValue root;
    for (auto _ : state) benchmark::DoNotOptimize(ParseJson(text, root));
}
BENCHMARK(BM_ParseMemberFloodAtSizeCap)->Unit(benchmark::kMillisecond);

// A hand-made list of 20 000 entries under the size cap: short names between
// numbers. Only the first 256 names are kept.
void BM_LoadSettingsProgramFlood(benchmark::State& state) {
    std::u16string text = u"{\"exemptPrograms\":[0";
    for (int i = 1; i < 20000; ++i) text += i % 5 ? u",0" : u",\"p" + IntegerText(i / 5) + u"\"";
    text += u"]}";
    MemoryFileOps file;
    file.bytes = Utf16ToUtf8(text);
    for (auto _ : state) {
        SettingsRecord settings;
        if (!LoadSettings(settings, kSettingsFileName, file) ||
            settings.exemptPrograms.size() != 256) {
            state.SkipWithError("the list did not load");
            break;
        }
        benchmark::DoNotOptimize(settings);
    }
    state.counters["bytes"] = static_cast<double>(file.bytes.size());
}
BENCHMARK(BM_LoadSettingsProgramFlood)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quillet
