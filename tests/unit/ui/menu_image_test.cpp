#include <gtest/gtest.h>

#include <vector>

#include "ui/image.h"
#include "ui/menu_build.h"
#include "ui/tray_text.h"

namespace quillet {
namespace {

void* Handle(int n) { return reinterpret_cast<void*>(static_cast<uintptr_t>(n)); }

TEST(MenuBuild, SubmenusNestAndUnwind) {
    MenuBuildState s;
    s.Start(Handle(1));
    s.Close();  // no open submenu: nothing happens
    EXPECT_EQ(s.Target(), Handle(1));
    s.Open(Handle(2));
    s.Open(Handle(3));
    EXPECT_EQ(s.Target(), Handle(3));
    s.Close();
    EXPECT_EQ(s.Target(), Handle(2));
    s.Close();
    s.Close();
    EXPECT_EQ(s.Target(), Handle(1));
    EXPECT_EQ(s.Menu(), Handle(1));
}

TEST(MenuBuild, NestingStopsAt64AndStillUnwindsInPairs) {
    MenuBuildState s;
    s.Start(Handle(1));
    for (int i = 0; i < MenuBuildState::MaxDepth; ++i) {
        ASSERT_TRUE(s.CanOpen());
        s.Open(Handle(100 + i));
    }
    EXPECT_FALSE(s.CanOpen());
    s.Open(Handle(999));  // refused
    EXPECT_EQ(s.Target(), Handle(100 + MenuBuildState::MaxDepth - 1));
    s.Close();  // closes the refused one
    EXPECT_EQ(s.Target(), Handle(100 + MenuBuildState::MaxDepth - 1));
    s.Close();
    EXPECT_EQ(s.Target(), Handle(100 + MenuBuildState::MaxDepth - 2));
    s.Start(Handle(5));
    EXPECT_EQ(s.Depth(), 0);
    EXPECT_EQ(s.Target(), Handle(5));
}

TEST(Image, BlackSquareIsOpaque) {
    ASSERT_TRUE(CreateImage(0, 32, 32, 24, 0x000000));
    const Image* image = FindImage(0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels.size(), 32u * 32u);
    for (uint32_t p : image->pixels) ASSERT_EQ(p & 0xffffff, 0u);
    const std::vector<uint8_t> mask = IconMaskBits(*image);
    EXPECT_EQ(mask.size(), 4u * 32u);
    for (uint8_t b : mask) ASSERT_EQ(b, 0);
    FreeImage(0);
    EXPECT_EQ(FindImage(0), nullptr);
}

TEST(Image, TransparencyComesOnlyFromZeroAlphaOf32BitImages) {
    ASSERT_TRUE(CreateImage(3, 20, 2, 32, 0x00ffffff));
    Image copy = *FindImage(3);
    copy.pixels[1] = 0xff000000;  // row 0, x 1: opaque
    const std::vector<uint8_t> mask = IconMaskBits(copy);
    ASSERT_EQ(mask.size(), 8u);  // 20 pixels padded to 32 bits per row
    EXPECT_EQ(mask[0], 0xbf);
    EXPECT_EQ(mask[1], 0xff);
    EXPECT_EQ(mask[2], 0xf0);
    EXPECT_EQ(mask[3], 0x00);
    EXPECT_EQ(mask[4], 0xff);
    // A used number is replaced.
    ASSERT_TRUE(CreateImage(3, 1, 1, 24, 0x123456));
    EXPECT_EQ(FindImage(3)->width, 1);
    FreeAllImages();
    EXPECT_EQ(FindImage(3), nullptr);
}

TEST(Image, RefusesBadSizesAndDepths) {
    EXPECT_FALSE(CreateImage(1, 0, 32, 24, 0));
    EXPECT_FALSE(CreateImage(1, 32, -1, 24, 0));
    EXPECT_FALSE(CreateImage(1, 32, 32, 8, 0));
    EXPECT_FALSE(CreateImage(-1, 32, 32, 24, 0));
    EXPECT_EQ(FindImage(1), nullptr);
}

TEST(TrayText, TooltipKeeps63CharactersAndWholeSurrogatePairs) {
    const std::u16string text64(64, u'x');
    EXPECT_EQ(TrayTooltip(text64), std::u16string(63, u'x'));
    EXPECT_EQ(TrayTooltip(u"Quillet"), u"Quillet");
    std::u16string pair = std::u16string(62, u'x') + u"\U0001F600";
    EXPECT_EQ(TrayTooltip(pair), std::u16string(62, u'x'));
    EXPECT_EQ(TrayTooltip(std::u16string(61, u'x') + u"\U0001F600"),
              std::u16string(61, u'x') + u"\U0001F600");
}

TEST(TrayText, Names) {
    EXPECT_EQ(TrayPropertyName(1), u"TarnSysTray1");
    EXPECT_EQ(TrayPropertyName(4000000000u), u"TarnSysTray4000000000");
    EXPECT_EQ(WindowClassName(0), u"WindowClass_0");
    EXPECT_EQ(WindowClassName(17), u"WindowClass_17");
}

}  // namespace
}  // namespace quillet
