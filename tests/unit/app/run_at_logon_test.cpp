#include "app/run_at_logon.h"

#include <gtest/gtest.h>

#include "recording_seams.h"

#if defined(_WIN32)
#include "app/run_at_logon_win32.h"
#endif

namespace quillet {
namespace {

using testing::FakeRunAtLogonValues;

constexpr std::u16string_view kExe = u"C:\\Tools\\Quillet\\Quillet.exe";

using Bytes = std::vector<uint8_t>;
const Bytes kDisabled = {3, 0x10, 0x9c, 0x2e, 0x4d, 0x5b, 0xd9, 0x01, 0, 0, 0, 0};
const Bytes kEnabled(std::begin(kStartupEnabled), std::end(kStartupEnabled));

TEST(RunAtLogon, OnOnlyWhileTheValueStartsThisExecutableAndTaskManagerLetsIt) {
    const std::u16string ours = u"\"C:\\Tools\\Quillet\\Quillet.exe\" /silent";
    struct Row {
        std::optional<std::u16string> value;
        bool on;
        std::optional<Bytes> approved = std::nullopt;
    } rows[] = {
        {std::nullopt, false},
        {ours, true},
        {u"\"c:\\tools\\QUILLET\\quillet.EXE\" /silent", true},
        {u"\"C:\\Tools\\Quillet\\Quillet.exe\" /other", true},
        {u"\"C:\\Tools\\Quillet\\Quillet.exe\"", true},
        {u"\"D:\\Quillet\\Quillet.exe\" /silent", false},
        {u"\"C:\\Tools\\Quillet\\Quillet.exe.old\" /silent", false},
        {u"C:\\Tools\\Quillet\\Quillet.exe /silent", false},
        {u"\"C:\\Tools\\Quillet\\Quillet.exe\"/silent", false},
        {u"\"C:\\Tools\\Quillet\\Quillet.exe", false},
        // The quote never closed, whatever follows the path.
        {u"\"C:\\Tools\\Quillet\\Quillet.exe /silent", false},
        {u"\"C:\\Tools\\Quillet\\Quillet.exe  /silent", false},
        {u"", false},
        // Task Manager's word: even first byte enabled, odd disabled; one we do not
        // know (not 12 bytes, not a binary) disabled.
        {ours, true, kEnabled},
        {ours, true, Bytes(12, 6)},
        {ours, false, kDisabled},
        {ours, false, Bytes(12, 7)},
        {ours, false, Bytes{}},
        {ours, false, Bytes{2, 0, 0, 0}},
        {ours, false, Bytes(13, 2)},
    };
    for (const Row& r : rows) {
        FakeRunAtLogonValues key;
        key.value = r.value;
        key.approved = r.approved;
        EXPECT_EQ(IsRunAtLogonOn(key, kExe), r.on)
            << (r.value ? r.value->size() : 0) << " " << (r.approved ? r.approved->size() : 0);
    }
}

TEST(RunAtLogon, SetWritesOrDeletes) {
    FakeRunAtLogonValues key;
    key.value = u"\"D:\\Quillet\\Quillet.exe\" /silent";
    EXPECT_TRUE(SetRunAtLogon(key, kExe, true));
    EXPECT_EQ(key.value, u"\"C:\\Tools\\Quillet\\Quillet.exe\" /silent");
    EXPECT_FALSE(key.approved.has_value());  // no word of Task Manager's is made up
    key.approved = kDisabled;
    EXPECT_TRUE(SetRunAtLogon(key, kExe, false));
    EXPECT_FALSE(key.value.has_value());
    EXPECT_EQ(key.approved, kDisabled);  // Task Manager's own
    EXPECT_TRUE(SetRunAtLogon(key, kExe, true));
    EXPECT_EQ(key.approved, kEnabled);
    key.fails = true;
    EXPECT_FALSE(SetRunAtLogon(key, kExe, true));
    EXPECT_FALSE(SetRunAtLogon(key, kExe, false));
}

#if defined(_WIN32)
// The test run's own registry (a private Wine prefix).
TEST(RunAtLogon, TheRegistryValue) {
    SystemRunAtLogonValues key;
    ASSERT_TRUE(SetRunAtLogon(key, kExe, true));
    EXPECT_EQ(key.Read(), RunAtLogonCommand(kExe));
    EXPECT_TRUE(IsRunAtLogonOn(key, kExe));
    ASSERT_TRUE(SetRunAtLogon(key, kExe, false));
    EXPECT_FALSE(key.Read().has_value());
    EXPECT_TRUE(key.Delete());
}
#endif

}  // namespace
}  // namespace quillet
