#include "ui/program_in_front.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/text.h"

namespace quillet {
namespace {

TEST(ProgramInFront, SkipsTheShellAndNamesPrograms) {
    for (std::u16string_view shell :
         {u"Shell_TrayWnd", u"shell_traywnd", u"Shell_SecondaryTrayWnd",
          u"NotifyIconOverflowWindow", u"TopLevelWindowForOverflowXamlIsland", u"Progman",
          u"WorkerW", u"#32769"}) {
        EXPECT_TRUE(IsShellWindowClass(shell)) << shell.size();
    }
    EXPECT_FALSE(IsShellWindowClass(u"WorkerWindow"));
    for (std::u16string_view host :
         {u"ApplicationFrameHost.exe", u"StartMenuExperienceHost.exe", u"SearchHost.exe",
          u"SEARCHAPP.EXE", u"ShellExperienceHost.exe"})
        EXPECT_TRUE(IsShellHostProgram(host)) << host.size();
    EXPECT_EQ(ProgramDisplayName(u"  Visual Studio ", u"devenv.exe"), u"Visual Studio");
    EXPECT_EQ(ProgramDisplayName(u" ", u"game.exe"), u"game.exe");
    EXPECT_EQ(FileDescriptionKey(0x0409, 0x04B0), u"\\StringFileInfo\\040904b0\\FileDescription");
    EXPECT_EQ(FileDescriptionKey(0xFFFF, 0xABCD), u"\\StringFileInfo\\ffffabcd\\FileDescription");
}

class FakeFiles final : public ProgramFiles {
  public:
    std::vector<std::u16string> reads;
    bool IsRemoteDrive(char16_t letter) override { return letter == u'N'; }
    std::u16string ReadDescription(const std::u16string& path) override {
        reads.push_back(path);
        return path.starts_with(u"C:\\Tools") ? u""
                                              : u"About " + std::u16string(FileNamePart(path));
    }
};

TEST(ProgramDescriptions, ReadsEachFileOnceAndNoShareAtAll) {
    FakeFiles files;
    ProgramDescriptions descriptions(files);
    struct Row {
        std::u16string_view path, fileName, description;
        bool read;
    } rows[] = {
        {u"C:\\Editor\\edit.exe", u"edit.exe", u"About edit.exe", true},
        {u"C:\\Editor\\edit.exe", u"edit.exe", u"About edit.exe", false},
        {u"C:\\Tools\\game.exe", u"game.exe", u"", true},
        {u"C:\\Tools\\game.exe", u"game.exe", u"", false},  // no description: kept as well
        {u"\\\\?\\C:\\Deep\\x.exe", u"x.exe", u"About x.exe", true},
        {u"\\\\server\\tools\\tool.exe", u"tool.exe", u"", false},
        {u"\\\\?\\UNC\\server\\tools\\tool.exe", u"tool.exe", u"", false},
        {u"N:\\tool.exe", u"tool.exe", u"", false},
        {u"\\\\?\\N:\\tool.exe", u"tool.exe", u"", false},
    };
    for (const Row& r : rows) {
        const size_t reads = files.reads.size();
        const ProgramDescription program = descriptions.Describe(r.path);
        EXPECT_EQ(program.fileName, r.fileName) << Utf16ToUtf8(r.path);
        EXPECT_EQ(program.description, r.description) << Utf16ToUtf8(r.path);
        EXPECT_EQ(files.reads.size() - reads, r.read ? 1u : 0u) << Utf16ToUtf8(r.path);
    }
    EXPECT_TRUE(IsNetworkDevicePath(u"\\Device\\Mup\\;N:0000\\server\\tools\\tool.exe"));
    EXPECT_TRUE(IsNetworkDevicePath(u"\\device\\mup\\server\\tools\\tool.exe"));
    EXPECT_FALSE(IsNetworkDevicePath(u"\\Device\\HarddiskVolume2\\Mup\\tool.exe"));
    // Only the last files are kept: the oldest is read again.
    for (size_t i = 0; i < ProgramDescriptions::kKept; ++i) {
        descriptions.Describe(u"D:\\" + IntegerText(static_cast<int>(i)) + u".exe");
    }
    files.reads.clear();
    descriptions.Describe(u"D:\\15.exe");
    descriptions.Describe(u"C:\\Editor\\edit.exe");
    EXPECT_EQ(files.reads, std::vector<std::u16string>{u"C:\\Editor\\edit.exe"});
    for (int i = 0; i < 18; ++i) descriptions.Describe(u"E:\\" + IntegerText(i) + u".exe");
    files.reads.clear();
    for (auto path : {u"E:\\16.exe", u"E:\\17.exe"}) descriptions.Describe(path);
    EXPECT_TRUE(files.reads.empty());  // the newest are kept however many came before
}

}  // namespace
}  // namespace quillet
