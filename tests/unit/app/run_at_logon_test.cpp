#include "app/run_at_logon.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include "app/run_at_logon_win32.h"
#endif

namespace quillet {
namespace {

class FakeRunKey final : public RunKey {
  public:
    std::optional<std::u16string> value;
    bool failWrites = false;

    std::optional<std::u16string> Read() override { return value; }
    bool Write(std::u16string_view command) override {
        if (failWrites) return false;
        value = std::u16string(command);
        return true;
    }
    bool Delete() override {
        if (failWrites) return false;
        value.reset();
        return true;
    }
};

constexpr std::u16string_view kExe = u"C:\\Tools\\Quillet\\Quillet.exe";

TEST(RunAtLogon, OnOnlyWhileTheValueStartsThisExecutable) {
    EXPECT_EQ(RunAtLogonCommand(kExe), u"\"C:\\Tools\\Quillet\\Quillet.exe\" /silent");
    struct Row {
        const char* what;
        std::optional<std::u16string> value;
        bool on;
    } rows[] = {
        {"absent", std::nullopt, false},
        {"ours", u"\"C:\\Tools\\Quillet\\Quillet.exe\" /silent", true},
        {"ours in other case", u"\"c:\\tools\\QUILLET\\quillet.EXE\" /silent", true},
        {"ours without arguments", u"\"C:\\Tools\\Quillet\\Quillet.exe\"", true},
        {"ours with other arguments", u"\"C:\\Tools\\Quillet\\Quillet.exe\" /other", true},
        {"another path", u"\"D:\\Quillet\\Quillet.exe\" /silent", false},
        {"a longer path", u"\"C:\\Tools\\Quillet\\Quillet.exe.old\" /silent", false},
        {"unquoted", u"C:\\Tools\\Quillet\\Quillet.exe /silent", false},
        {"no space after the quote", u"\"C:\\Tools\\Quillet\\Quillet.exe\"/silent", false},
        {"unterminated quote", u"\"C:\\Tools\\Quillet\\Quillet.exe", false},
        {"empty", u"", false},
    };
    for (const Row& r : rows) {
        FakeRunKey key;
        key.value = r.value;
        EXPECT_EQ(IsRunAtLogonOn(key, kExe), r.on) << r.what;
    }
}

TEST(RunAtLogon, SetWritesOrDeletes) {
    FakeRunKey key;
    key.value = u"\"D:\\Quillet\\Quillet.exe\" /silent";
    EXPECT_TRUE(SetRunAtLogon(key, kExe, true));
    EXPECT_EQ(key.value, RunAtLogonCommand(kExe));
    EXPECT_TRUE(IsRunAtLogonOn(key, kExe));
    EXPECT_TRUE(SetRunAtLogon(key, kExe, false));
    EXPECT_FALSE(key.value.has_value());
    EXPECT_TRUE(SetRunAtLogon(key, kExe, false));

    key.failWrites = true;
    EXPECT_FALSE(SetRunAtLogon(key, kExe, true));
    EXPECT_FALSE(IsRunAtLogonOn(key, kExe));
    key.value = RunAtLogonCommand(kExe);
    EXPECT_FALSE(SetRunAtLogon(key, kExe, false));
}

#if defined(_WIN32)
// The test run's own registry (a private Wine prefix).
TEST(RunAtLogon, TheRegistryValue) {
    SystemRunKey key;
    ASSERT_TRUE(SetRunAtLogon(key, kExe, true));
    EXPECT_EQ(key.Read(), RunAtLogonCommand(kExe));
    EXPECT_TRUE(IsRunAtLogonOn(key, kExe));
    EXPECT_FALSE(IsRunAtLogonOn(key, u"C:\\Other\\Quillet.exe"));
    ASSERT_TRUE(SetRunAtLogon(key, kExe, false));
    EXPECT_FALSE(key.Read().has_value());
    EXPECT_TRUE(key.Delete());
}
#endif

}  // namespace
}  // namespace quillet
