#include "app/run_at_logon.h"

#include <gtest/gtest.h>

#include "recording_seams.h"

#if defined(_WIN32)
#include "app/run_at_logon_win32.h"
#endif

namespace quillet {
namespace {

using testing::FakeRunKey;

constexpr std::u16string_view kExe = u"C:\\Tools\\Quillet\\Quillet.exe";

TEST(RunAtLogon, OnOnlyWhileTheValueStartsThisExecutable) {
    struct Row {
        std::optional<std::u16string> value;
        bool on;
    } rows[] = {
        {std::nullopt, false},
        {u"\"C:\\Tools\\Quillet\\Quillet.exe\" /silent", true},
        {u"\"c:\\tools\\QUILLET\\quillet.EXE\" /silent", true},
        {u"\"C:\\Tools\\Quillet\\Quillet.exe\" /other", true},
        {u"\"C:\\Tools\\Quillet\\Quillet.exe\"", true},
        {u"\"D:\\Quillet\\Quillet.exe\" /silent", false},
        {u"\"C:\\Tools\\Quillet\\Quillet.exe.old\" /silent", false},
        {u"C:\\Tools\\Quillet\\Quillet.exe /silent", false},
        {u"\"C:\\Tools\\Quillet\\Quillet.exe\"/silent", false},
        {u"\"C:\\Tools\\Quillet\\Quillet.exe", false},
        {u"", false},
    };
    for (const Row& r : rows) {
        FakeRunKey key;
        key.value = r.value;
        EXPECT_EQ(IsRunAtLogonOn(key, kExe), r.on) << (r.value ? r.value->size() : 0);
    }
}

TEST(RunAtLogon, SetWritesOrDeletes) {
    FakeRunKey key;
    key.value = u"\"D:\\Quillet\\Quillet.exe\" /silent";
    EXPECT_TRUE(SetRunAtLogon(key, kExe, true));
    EXPECT_EQ(key.value, u"\"C:\\Tools\\Quillet\\Quillet.exe\" /silent");
    EXPECT_TRUE(SetRunAtLogon(key, kExe, false));
    EXPECT_FALSE(key.value.has_value());
    key.fails = true;
    EXPECT_FALSE(SetRunAtLogon(key, kExe, true));
    EXPECT_FALSE(SetRunAtLogon(key, kExe, false));
}

#if defined(_WIN32)
// The test run's own registry (a private Wine prefix).
TEST(RunAtLogon, TheRegistryValue) {
    SystemRunKey key;
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
