#include "prefs/settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "prefs/json_parser.h"
#include "prefs/json_writer.h"
#include "runtime/text.h"
#include "temp_folder.h"

namespace quillet {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;
using Names = std::vector<std::u16string>;

const std::string kDefaultsFile =
    "{\r\n"
    "  \"exclude_escape\"    : 0,\r\n"
    "  \"doublePressTimeout\": 300,\r\n"
    "  \"runAsAdmin\"        : 0\r\n"
    "}";

std::string FileWith(int excludeEscape, int timeout, int runAsAdmin) {
    return "{\r\n  \"exclude_escape\"    : " + std::to_string(excludeEscape) +
           ",\r\n  \"doublePressTimeout\": " + std::to_string(timeout) +
           ",\r\n  \"runAsAdmin\"        : " + std::to_string(runAsAdmin) + "\r\n}";
}

// An exemptPrograms array of `count` entries: every `nameEvery`-th the next short
// name of ProgramNames, the others the number 0.
std::string ProgramFlood(int count, int nameEvery) {
    std::string json = "{\"exemptPrograms\":[";
    for (int i = 0; i < count; ++i) {
        if (i) json += ',';
        json += i % nameEvery ? "0" : "\"p" + std::to_string(i / nameEvery) + "\"";
    }
    return json + "]}";
}

Names ProgramNames(int count) {
    Names names;
    for (int i = 0; i < count; ++i) names.push_back(std::u16string(u"p").append(IntegerText(i)));
    return names;
}

// A timeout of 20, padded with spaces to `size` bytes.
std::string LowTimeoutOfSize(size_t size) {
    std::string json = "{\"doublePressTimeout\":20}";
    json.resize(size, ' ');
    return json;
}

// Passes everything to the real file operations, counting saves, optionally
// failing a write once `failAfter` bytes have gone out, and answering the
// first `busyReads` reads as if another program held the file.
class ObservedFileOps : public FileOps {
  public:
    int64_t SizeOf(const std::u16string& path) override { return NativeFileOps().SizeOf(path); }
    ReadResult TryReadAll(const std::u16string& path, size_t limit, std::string& bytes) override {
        ++reads;
        if (busyReads > 0) {
            --busyReads;
            return ReadResult::Busy;
        }
        return NativeFileOps().TryReadAll(path, limit, bytes);
    }
    void Pause(int milliseconds) override { pauses.push_back(milliseconds); }
    std::unique_ptr<ReplacementFile> BeginReplace(const std::u16string& path) override {
        ++saves;
        auto real = NativeFileOps().BeginReplace(path);
        if (!real) return nullptr;
        return std::make_unique<Observed>(std::move(real), *this);
    }
    bool Copy(const std::u16string& from, const std::u16string& to) override {
        return !copyFails && NativeFileOps().Copy(from, to);
    }

    int saves = 0;
    bool copyFails = false;
    int reads = 0;
    int busyReads = 0;
    std::vector<int> pauses;
    size_t failAfter = SIZE_MAX;
    std::vector<size_t> writeSizes;

  private:
    class Observed : public ReplacementFile {
      public:
        Observed(std::unique_ptr<ReplacementFile> real, ObservedFileOps& ops)
            : real_(std::move(real)), ops_(ops) {}
        bool Write(const char* data, size_t size) override {
            ops_.writeSizes.push_back(size);
            if (written_ + size > ops_.failAfter) {
                // The disk fills part-way through this write.
                real_->Write(data, ops_.failAfter - written_);
                return false;
            }
            written_ += size;
            return real_->Write(data, size);
        }
        bool Commit() override { return real_->Commit(); }

      private:
        std::unique_ptr<ReplacementFile> real_;
        ObservedFileOps& ops_;
        size_t written_ = 0;
    };
};

class SettingsFile : public ::testing::Test {
  protected:
    std::u16string Path() const { return folder.File(u"Quillet.json"); }
    std::string Contents() const { return ReadBytes(folder / u"Quillet.json"); }
    std::string Kept() const { return ReadBytes(folder / u"Quillet.json.bak"); }
    bool Exists() const { return std::filesystem::exists(folder / u"Quillet.json"); }
    void Write(const std::string& text) const { WriteBytes(folder / u"Quillet.json", text); }

    TempFolder folder;
    ObservedFileOps ops;
};

TEST_F(SettingsFile, DefaultsAreWrittenAsThe89ByteFile) {
    ASSERT_EQ(kDefaultsFile.size(), 89u);
    ASSERT_TRUE(SaveSettings(SettingsRecord{}, Path(), ops));
    EXPECT_EQ(Contents(), kDefaultsFile);
    EXPECT_EQ(folder.EntryCount(), 1u);  // no temporary file left behind

    ASSERT_TRUE(SaveSettings(SettingsRecord{1, 1000, 1}, Path(), ops));
    EXPECT_EQ(Contents(), FileWith(1, 1000, 1));
    EXPECT_EQ(Contents().size(), 90u);
    EXPECT_EQ(ops.writeSizes, (std::vector<size_t>{89u, 90u}));  // one write per save

    // Bytes go out unsigned, the timeout signed.
    ASSERT_TRUE(SaveSettings(SettingsRecord{255, INT32_MIN, 128}, Path(), ops));
    EXPECT_EQ(Contents(), FileWith(255, INT32_MIN, 128));
}

// The single-press keys after the program names, in the key table's order and spelling.
TEST_F(SettingsFile, ListsGoLastAndOnlyWhenThereAreAny) {
    Write(R"({"singlePressKeys":["f12","F6"],"doublePressTimeout":20,)"
          R"("exemptPrograms":["devenv.exe","mstsc.exe"]})");
    SettingsRecord settings;
    ASSERT_TRUE(LoadSettings(settings, Path(), ops));
    EXPECT_EQ(CorrectSettings(settings, Path(), ops), 1);
    EXPECT_EQ(Contents(),
              "{\r\n"
              "  \"exclude_escape\"    : 0,\r\n"
              "  \"doublePressTimeout\": 50,\r\n"
              "  \"runAsAdmin\"        : 0,\r\n"
              "  \"exemptPrograms\"    : [\r\n"
              "      \"devenv.exe\",\r\n"
              "      \"mstsc.exe\"\r\n"
              "    ],\r\n"
              "  \"singlePressKeys\"   : [\r\n"
              "      \"F6\",\r\n"
              "      \"F12\"\r\n"
              "    ]\r\n"
              "}");

    // Escaped, outside ASCII, beyond the first plane, and as long as a name may be.
    settings.exemptPrograms = {u"\u00e9dit \"x\".exe", u"\U0001F600.exe",
                               std::u16string(260, u'n')};
    ASSERT_TRUE(SaveSettings(settings, Path(), ops));
    SettingsRecord read;
    ASSERT_TRUE(LoadSettings(read, Path(), ops));
    EXPECT_EQ(read, settings);

    // Emptied, the lists leave the file as it was before there were any.
    ASSERT_TRUE(SaveSettings(SettingsRecord{}, Path(), ops));
    EXPECT_EQ(Contents(), kDefaultsFile);
}

TEST_F(SettingsFile, LoadCorrectAndSave) {
    struct Case {
        const char* name;
        std::string file;         // what Quillet.json holds before start-up
        SettingsRecord expected;  // after load and correction
        int saves;                // how many times the correction wrote the file
    } cases[] = {
        {"only timeout 20", "{\"doublePressTimeout\":20}", {0, 50, 0}, 1},
        {"escape 2", "{\"exclude_escape\":2}", {1, 300, 0}, 1},
        {"both corrected", "{\"exclude_escape\":2,\"doublePressTimeout\":20}", {1, 50, 0}, 2},
        {"admin 7 kept", "{\"runAsAdmin\":7}", {0, 300, 7}, 0},
        {"true", "{\"exclude_escape\":true}", {1, 300, 0}, 0},
        {"false", "{\"exclude_escape\":false}", {0, 300, 0}, 0},
        {"string", "{\"exclude_escape\":\"1\",\"runAsAdmin\":[1]}", {0, 300, 0}, 0},
        {"float truncated", "{\"doublePressTimeout\":250.9}", {0, 250, 0}, 0},
        {"case matters", "{\"DoublePressTimeout\":1000,\"RunAsAdmin\":1}", {0, 300, 0}, 0},
        {"low 8 bits", "{\"exclude_escape\":256}", {0, 300, 0}, 0},
        {"minus one", "{\"exclude_escape\":-1}", {1, 300, 0}, 1},
        {"low 32 bits", "{\"doublePressTimeout\":4294967396}", {0, 100, 0}, 0},
        {"null timeout", "{\"doublePressTimeout\":null}", {0, 50, 0}, 1},
        {"extra members", "{\"other\":5,\"runAsAdmin\":1}", {0, 300, 1}, 0},
        {"repeated name", "{\"doublePressTimeout\":20,\"doublePressTimeout\":400}", {0, 400, 0}, 0},
        {"root array", "[{\"runAsAdmin\":1}]", {0, 300, 0}, 0},
        {"root number", "1", {0, 300, 0}, 0},
        {"trailing comma", "{\"runAsAdmin\":1,}", {0, 300, 0}, 0},
        {"byte-order mark", "\xEF\xBB\xBF{\"runAsAdmin\":1}", {0, 300, 0}, 0},
        {"empty", "", {0, 300, 0}, 0},
        {"whitespace only", " \r\n", {0, 300, 0}, 0},
        {"too deep", std::string(600, '[') + std::string(600, ']'), {0, 300, 0}, 0},
        {"timeout 50 kept", "{\"doublePressTimeout\":50}", {0, 50, 0}, 0},
        {"64 KiB read", LowTimeoutOfSize(kMaxSettingsFileSize), {0, 50, 0}, 1},
        {"over 64 KiB", LowTimeoutOfSize(kMaxSettingsFileSize + 1), {0, 300, 0}, 0},
        {"names dropped",
         R"({"exemptPrograms":["a.exe",1,null,true,["c.exe"],{},"","C:\\x.exe","bin/y.exe",)"
         R"("c:z.exe",")" +
             std::string(261, 'x') + R"(",")" + std::string(260, 'n') + R"(","b.exe"]})",
         {0, 300, 0, {u"a.exe", std::u16string(260, u'n'), u"b.exe"}},
         0},
        {"names in other case",
         R"({"exemptPrograms":["DevEnv.exe","DEVENV.EXE","\u00c9dit.exe","\u00e9DIT.exe"]})",
         {0, 300, 0, {u"DevEnv.exe", u"\u00c9dit.exe"}},
         0},
        {"20 000 entries in 64 KiB", ProgramFlood(20000, 5), {0, 300, 0, ProgramNames(256)}, 0},
        {"keys dropped, in any case, once",
         R"({"singlePressKeys":["F6",1,null,true,["F7"],{},"","Escape","ESC","F13","F0","F 1",)"
         R"("F1 ","f12","F2","f6","F6"]})",
         {0, 300, 0, {}, SinglePressKeyBit(2) | SinglePressKeyBit(6) | SinglePressKeyBit(12)},
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Write(c.file);
        ops.saves = 0;
        SettingsRecord settings;
        LoadSettings(settings, Path(), ops);
        EXPECT_EQ(CorrectSettings(settings, Path(), ops), c.saves);
        EXPECT_EQ(ops.saves, c.saves);
        EXPECT_EQ(settings.exclude_escape, c.expected.exclude_escape);
        EXPECT_EQ(settings.doublePressTimeout, c.expected.doublePressTimeout);
        EXPECT_EQ(settings.runAsAdmin, c.expected.runAsAdmin);
        EXPECT_EQ(settings.exemptPrograms, c.expected.exemptPrograms);
        EXPECT_EQ(settings.singlePressKeys, c.expected.singlePressKeys);
        // A file is rewritten in full only when a correction applied.
        EXPECT_EQ(Contents(), c.saves ? FileWith(settings.exclude_escape,
                                                 settings.doublePressTimeout, settings.runAsAdmin)
                                      : c.file);
    }
}

// What a member of each JSON kind stores in the byte settings and in the 32-bit timeout.
// All five members get the same value, over a record holding none of the results; only
// an array replaces the program names and the keys.
TEST_F(SettingsFile, EveryKindOfMemberStoresItsIntegerReading) {
    const struct {
        const char* json;  // nullptr: no members at all
        uint8_t byte;
        int32_t timeout;
    } cases[] = {
        {nullptr, 7, 12345},
        {"0", 0, 0},
        {"-0", 0, 0},
        {"1", 1, 1},
        {"255", 255, 255},
        {"256", 0, 256},
        {"-1", 255, -1},
        {"-250", 6, -250},
        {"2147483647", 255, INT32_MAX},
        {"2147483648", 0, INT32_MIN},
        {"4294967396", 100, 100},
        {"9223372036854775807", 255, -1},
        {"-9223372036854775808", 0, 0},
        {"18446744073709551617", 1, 1},  // wrapped while read
        {"250.9", 250, 250},
        {"-250.9", 6, -250},
        {"0.999", 0, 0},
        {"-0.5", 0, 0},
        {"-0.0", 0, 0},
        {"1e2", 100, 100},
        {"2.5e-400", 0, 0},
        {"2147483647.9", 255, INT32_MAX},
        {"2147483648.0", 255, INT32_MAX},  // a fraction saturates where an integer wraps
        {"-2147483649.5", 0, INT32_MIN},
        {"1e300", 255, INT32_MAX},
        {"1e400", 255, INT32_MAX},
        {"-1e400", 0, INT32_MIN},
        {"true", 1, 1},
        {"false", 0, 0},
        {"\"300\"", 0, 0},
        {"\"\"", 0, 0},
        {"null", 0, 0},
        {"[300]", 0, 0},
        {"{\"doublePressTimeout\":300}", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json ? c.json : "no members");
        const std::string v = c.json ? c.json : "";
        Write(c.json ? "{\"exclude_escape\":" + v + ",\"doublePressTimeout\":" + v +
                           ",\"runAsAdmin\":" + v + ",\"exemptPrograms\":" + v +
                           ",\"singlePressKeys\":" + v + "}"
                     : "{}");
        SettingsRecord settings{7, 12345, 7, {u"kept.exe"}, kSinglePressKeyMask};
        ASSERT_TRUE(LoadSettings(settings, Path(), ops));
        EXPECT_EQ(settings.exclude_escape, c.byte);
        EXPECT_EQ(settings.runAsAdmin, c.byte);
        EXPECT_EQ(settings.doublePressTimeout, c.timeout);
        EXPECT_EQ(settings.exemptPrograms, v.starts_with('[') ? Names{} : Names{u"kept.exe"});
        EXPECT_EQ(settings.singlePressKeys, v.starts_with('[') ? 0 : kSinglePressKeyMask);
    }
}

TEST_F(SettingsFile, ValuesLoadOnlyFromAFileThatParses) {
    SettingsRecord settings;
    EXPECT_FALSE(LoadSettings(settings, Path(), ops));  // no file
    EXPECT_EQ(CorrectSettings(settings, Path(), ops), 0);
    EXPECT_FALSE(Exists());  // nothing written at start-up

    std::filesystem::create_directory(folder / u"Quillet.json");
    EXPECT_FALSE(LoadSettings(settings, Path(), ops));  // a folder is not the file
    std::filesystem::remove(folder / u"Quillet.json");

    Write("{\"doublePressTimeout\":450}");
    settings.exclude_escape = 1;  // not in the file, so it stays
    EXPECT_TRUE(LoadSettings(settings, Path(), ops));
    EXPECT_EQ(settings.doublePressTimeout, 450);
    EXPECT_EQ(settings.exclude_escape, 1);

    // A value that loads but fails to parse on a later start leaves what is in memory alone.
    Write("{\"doublePressTimeout\":20");
    EXPECT_FALSE(LoadSettings(settings, Path(), ops));
    EXPECT_EQ(settings.doublePressTimeout, 450);
}

TEST_F(SettingsFile, BusyFileIsAskedForAgainForASecond) {
    Write(FileWith(1, 450, 0));
    const struct {
        int busyReads;
        bool loaded;
        int reads;
    } cases[] = {{0, true, 1}, {3, true, 4}, {20, true, 21}, {21, false, 21}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.busyReads);
        ops.busyReads = c.busyReads;
        ops.reads = 0;
        ops.pauses.clear();
        SettingsRecord settings;
        EXPECT_EQ(LoadSettings(settings, Path(), ops), c.loaded);
        EXPECT_EQ(settings.doublePressTimeout, c.loaded ? 450 : 300);
        EXPECT_EQ(ops.reads, c.reads);
        EXPECT_EQ(ops.pauses, std::vector<int>(c.reads - 1, kBusyFileRetryMs));
    }
    // A file that is simply unreadable is not waited for.
    std::filesystem::remove(folder / u"Quillet.json");
    std::filesystem::create_directory(folder / u"Quillet.json");
    ops.pauses.clear();
    JsonValue root;
    EXPECT_FALSE(LoadJsonFile(Path(), root, ops));
    EXPECT_TRUE(ops.pauses.empty());
}

TEST_F(SettingsFile, FloatTimeoutIsSavedAsItsWholePart) {
    Write("{\"doublePressTimeout\":250.9,\"stale\":true}");
    SettingsRecord settings;
    ASSERT_TRUE(LoadSettings(settings, Path(), ops));
    ASSERT_TRUE(SaveSettings(settings, Path(), ops));
    EXPECT_EQ(Contents(), FileWith(0, 250, 0));  // extra member gone too
}

TEST_F(SettingsFile, FailedSaveKeepsThePreviousFile) {
    Write(FileWith(1, 777, 0));
    const std::string before = Contents();
    for (size_t failAfter : {size_t{0}, size_t{10}, size_t{88}}) {
        ops.failAfter = failAfter;
        EXPECT_FALSE(SaveSettings(SettingsRecord{}, Path(), ops));
        EXPECT_EQ(Contents(), before);
        EXPECT_EQ(folder.EntryCount(), 1u);  // the temporary file is gone
    }
    ops.failAfter = SIZE_MAX;
    EXPECT_TRUE(SaveSettings(SettingsRecord{}, Path(), ops));
    EXPECT_EQ(Contents(), kDefaultsFile);
}

// A file that was there but was not read is kept beside it before the first save
// replaces it, over an older copy; the saves after that copy nothing. A good file, or
// none, leaves the older copy alone.
TEST_F(SettingsFile, UnreadFileIsKeptBeforeTheFirstSaveReplacesIt) {
    const std::string good = FileWith(1, 450, 0);
    const struct {
        const char* name;
        std::optional<std::string> file;  // nothing: no file at all
        bool kept;
    } rows[] = {
        {"trailing comma", R"({"exemptPrograms":["devenv.exe",],"runAsAdmin":1})", true},
        {"byte-order mark", "\xEF\xBB\xBF" + good, true},
        {"root array", "[" + good + "]", true},
        {"empty", "", true},
        {"over 64 KiB", LowTimeoutOfSize(kMaxSettingsFileSize + 1), true},
        {"good", good, false},
        {"none", std::nullopt, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        std::filesystem::remove(folder / u"Quillet.json");
        if (r.file) Write(*r.file);
        WriteBytes(folder / u"Quillet.json.bak", "older");
        PersistentSettings file(Path(), ops);
        SettingsRecord settings;
        EXPECT_EQ(file.Load(settings), r.file == good);
        EXPECT_EQ(file.Correct(settings), 0);
        ASSERT_TRUE(file.Save(SettingsRecord{0, 300, 1}));
        EXPECT_EQ(Contents(), FileWith(0, 300, 1));
        const std::string kept = r.kept ? *r.file : "older";
        EXPECT_EQ(Kept(), kept);
        ASSERT_TRUE(file.Save(SettingsRecord{}));
        EXPECT_EQ(Contents(), kDefaultsFile);
        EXPECT_EQ(Kept(), kept);
    }
}

// Whichever step fails, the file the user wrote is still there: in its place, or kept.
TEST_F(SettingsFile, UnreadFileIsNeverLostToAFailedSave) {
    const std::string broken = R"({"runAsAdmin":1,})";
    Write(broken);
    PersistentSettings file(Path(), ops);
    SettingsRecord settings;
    EXPECT_FALSE(file.Load(settings));
    ops.copyFails = true;
    EXPECT_FALSE(file.Save(settings));  // not replaced before it is kept
    EXPECT_EQ(ops.saves, 0);
    EXPECT_EQ(Contents(), broken);
    ops.copyFails = false;
    ops.failAfter = 10;
    EXPECT_FALSE(file.Save(settings));
    EXPECT_EQ(Contents(), broken);
    EXPECT_EQ(Kept(), broken);
    ops.failAfter = SIZE_MAX;
    ASSERT_TRUE(file.Save(settings));
    EXPECT_EQ(Contents(), kDefaultsFile);
    EXPECT_EQ(Kept(), broken);

    // Deleted since the start: nothing to keep, and the save goes ahead.
    PersistentSettings deleted(Path(), ops);
    Write(broken);
    deleted.Load(settings);
    std::filesystem::remove(folder / u"Quillet.json");
    ops.copyFails = true;
    EXPECT_TRUE(deleted.Save(settings));
}

// The size is counted without writing, escapes and UTF-8 as the writer makes them.
TEST_F(SettingsFile, SizeIsWhatASaveWrites) {
    const SettingsRecord records[] = {
        {},
        {255, INT32_MIN, 255, {u"a.exe"}, kSinglePressKeyMask},
        {0, 300, 0, {}, SinglePressKeyBit(1)},
        {1, 1000, 0, {u"q\"u.exe", u"b\\s.exe", u"\u00e9\u20ac.exe", u"\U0001F600.exe"}},
        {0,
         50,
         7,
         {u"\x01\t\x1f.exe", std::u16string(1, char16_t{0xD800}), std::u16string(260, u'n')}},
    };
    for (const SettingsRecord& settings : records) {
        ASSERT_TRUE(SaveSettings(settings, Path(), ops));
        EXPECT_EQ(SettingsFileSize(settings), Contents().size()) << Contents();
    }
}

// Names that a save of the widest other settings writes as exactly 64 KiB: a list fits up to
// there, and a name one byte longer in the file, in any way it grows, is one too many.
TEST_F(SettingsFile, ListIsKeptOnlyAsFarAsASavedFileCanBeRead) {
    SettingsRecord full{UINT8_MAX, INT32_MIN, UINT8_MAX, {}, kSinglePressKeyMask};
    for (int n = 0; n < 256; ++n)
        full.exemptPrograms.push_back(IntegerText(1000 + n) + std::u16string(239, u'x'));
    ASSERT_TRUE(SaveSettings(full, Path(), ops));
    const size_t room = kMaxSettingsFileSize - Contents().size();
    ASSERT_LT(room, full.exemptPrograms.size());
    for (size_t n = 0; n < room; ++n) full.exemptPrograms[n] += u'y';
    ASSERT_TRUE(SaveSettings(full, Path(), ops));
    ASSERT_EQ(Contents().size(), kMaxSettingsFileSize);
    SettingsRecord read;
    ASSERT_TRUE(LoadSettings(read, Path(), ops));
    EXPECT_EQ(read.exemptPrograms, full.exemptPrograms);

    const struct {
        const char16_t* last;  // in place of the last name's last character
        size_t fit;
    } rows[] = {
        {u"z", 256},      {u"", 256}, {u"zz", 255}, {u"\"", 255},  // one character, written as two
        {u"\u00e9", 255},  // one character, two bytes of UTF-8
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(Utf16ToUtf8(r.last));
        Names list = full.exemptPrograms;
        list.back().pop_back();
        list.back() += r.last;
        EXPECT_EQ(ProgramsThatFit(list), r.fit);
        // Written compactly the list is well within what is read; only what fits is kept.
        JsonValue array;
        SetJsonArray(array);
        for (const auto& name : list) SetJsonString(*AddJsonElement(array), name);
        Write("{\"exemptPrograms\":" + Utf16ToUtf8(JsonText(array, 0)) + "}");
        ASSERT_TRUE(LoadSettings(read, Path(), ops));
        EXPECT_EQ(read.exemptPrograms, Names(list.begin(), list.begin() + r.fit));
    }
}

TEST_F(SettingsFile, SaveThatCannotReplaceLeavesNothingBehind) {
    // The final step fails when a folder stands where the file should go.
    std::filesystem::create_directory(folder / u"Quillet.json");
    std::filesystem::create_directory(folder / u"Quillet.json" / u"inside");
    EXPECT_FALSE(SaveSettings(SettingsRecord{}, Path(), ops));
    EXPECT_TRUE(std::filesystem::is_directory(folder / u"Quillet.json"));
    EXPECT_EQ(folder.EntryCount(), 1u);

    // A folder that does not exist: nothing is created.
    const std::u16string missing = folder.File(u"missing") + u"/Quillet.json";
    EXPECT_FALSE(SaveSettings(SettingsRecord{}, missing, ops));
    EXPECT_FALSE(std::filesystem::exists(folder / u"missing"));
}

TEST_F(SettingsFile, ReadOnlyStaleTemporaryIsReplacedAndTheSaveStaysWritable) {
    namespace fs = std::filesystem;
    const fs::path stale = folder / u"Quillet.json.tmp";
    WriteBytes(stale, "{");
    fs::permissions(stale, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ASSERT_TRUE(SaveSettings(SettingsRecord{}, Path(), ops));
    EXPECT_EQ(Contents(), kDefaultsFile);
    EXPECT_EQ(folder.EntryCount(), 1u);
    // Run as root the save succeeds whatever the mode, so the mode itself is checked: a
    // read-only settings file would refuse the next save of an ordinary user.
    const fs::perms saved = fs::status(folder / u"Quillet.json").permissions();
    EXPECT_NE(saved & fs::perms::owner_write, fs::perms::none);
}

TEST_F(SettingsFile, WideFileNames) {
    const std::u16string name = folder.File(u"Quill\u00e9t \u20ac.json");
    ASSERT_TRUE(SaveSettings(SettingsRecord{0, 321, 1}, name, ops));
    SettingsRecord settings;
    ASSERT_TRUE(LoadSettings(settings, name, ops));
    EXPECT_EQ(settings.doublePressTimeout, 321);
    EXPECT_EQ(settings.runAsAdmin, 1);
}

TEST(JsonFile, Utf8BytesAndBufferLoads) {
    TempFolder folder;
    ObservedFileOps ops;
    const std::u16string path = folder.File(u"doc.json");
    JsonValue root;
    SetJsonString(root, u"\u00e9\U0001F600\u0001");
    ASSERT_TRUE(SaveJsonFile(root, path, 0, ops));
    EXPECT_EQ(ReadBytes(folder / u"doc.json"), "\"\xC3\xA9\xF0\x9F\x98\x80\\u0001\"");

    ClearJsonValue(root);
    ASSERT_TRUE(SaveJsonFile(root, path, kJsonPrettyPrint, ops));
    EXPECT_EQ(ReadBytes(folder / u"doc.json"), "null");

    // A long text goes out in loads that never exceed the 4096-byte buffer.
    SetJsonArray(root);
    for (int i = 0; i < 3000; ++i) SetJsonString(*AddJsonElement(root), u"\u20ac");
    ops.writeSizes.clear();
    ASSERT_TRUE(SaveJsonFile(root, path, 0, ops));
    const std::string bytes = ReadBytes(folder / u"doc.json");
    size_t total = 0;
    for (size_t i = 0; i < ops.writeSizes.size(); ++i) {
        EXPECT_LE(ops.writeSizes[i], 4096u);
        if (i + 1 < ops.writeSizes.size()) {
            EXPECT_GE(ops.writeSizes[i], 4092u);
        }
        total += ops.writeSizes[i];
    }
    EXPECT_EQ(total, bytes.size());
    EXPECT_EQ(ops.writeSizes.size(), (bytes.size() + 4091) / 4092);
    JsonValue read;
    ASSERT_TRUE(LoadJsonFile(path, read, ops));
    EXPECT_EQ(read.elements.size(), 3000u);
    EXPECT_EQ(read.elements[2999]->text, u"\u20ac");

    EXPECT_FALSE(SaveJsonFile(root, u"", 0, ops));  // no name
    EXPECT_FALSE(LoadJsonFile(u"", read, ops));
    EXPECT_FALSE(LoadJsonFile(folder.File(u"absent.json"), read, ops));
    EXPECT_EQ(read.elements.size(), 3000u);  // failed loads leave the value alone
}

TEST(JsonFile, LoadDecodesUtf8AndStopsAtAZeroByte) {
    TempFolder folder;
    const std::u16string path = folder.File(u"doc.json");
    WriteBytes(folder / u"doc.json", std::string("[\"\xC3\xA9\"]\0garbage", 15));
    JsonValue root;
    EXPECT_FALSE(LoadJsonFile(path, root, NativeFileOps(), 14));  // one byte over the limit
    ASSERT_TRUE(LoadJsonFile(path, root, NativeFileOps(), 15));
    EXPECT_EQ(root.elements[0]->text, u"\u00e9");

    // The mark is no whitespace: the text does not parse.
    WriteBytes(folder / u"doc.json", "\xEF\xBB\xBF[]");
    EXPECT_FALSE(LoadJsonFile(path, root));
    EXPECT_EQ(root.elements[0]->text, u"\u00e9");  // the earlier value stays
}

}  // namespace
}  // namespace quillet
