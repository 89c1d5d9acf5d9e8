#include "runtime/path.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(Path, FolderKeepsItsSeparatorAndDropsTheLongPathPrefix) {
    struct Case {
        const char16_t* path;
        const char16_t* folder;
    } cases[] = {
        {u"C:\\Tools\\Quillet.exe", u"C:\\Tools\\"},
        {u"\\\\?\\C:\\Very\\Deep\\Quillet.exe", u"C:\\Very\\Deep\\"},
        {u"C:/mixed\\path/Quillet.exe", u"C:/mixed\\path/"},
        {u"Quillet.exe", u""},
        {u"", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(FolderOfPath(c.path), c.folder);
}

}  // namespace
}  // namespace quillet
