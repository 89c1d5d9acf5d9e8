#include "speech/speech_binding.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace quillet {
namespace {

std::vector<std::string> calls;

int Say(const char16_t* text, int interrupt) {
    calls.push_back("say " + std::string(text, text + std::char_traits<char16_t>::length(text)) +
                    " " + std::to_string(interrupt));
    return 1;
}
int SetValue(int what, int value) {
    calls.push_back("set " + std::to_string(what) + " " + std::to_string(value));
    return 1;
}
int Braille(const char16_t* text) {  // fails, as with no reader that shows braille
    calls.push_back("braille " +
                    std::string(text, text + std::char_traits<char16_t>::length(text)));
    return 0;
}
int Unused(int, int) {
    calls.push_back("unused");
    return 0;
}

class FakeLoader final : public LibraryLoader {
  public:
    bool loads = true;
    std::set<std::u16string> absent;
    std::vector<std::u16string> asked;
    int freed = 0;

    void* Load(std::u16string_view name) override {
        asked.emplace_back(name);
        return loads ? this : nullptr;
    }
    void* Resolve(void*, std::u16string_view name) override {
        asked.emplace_back(name);
        if (absent.contains(std::u16string(name))) return nullptr;
        if (name == u"speechSay") return reinterpret_cast<void*>(&Say);
        if (name == u"speechSetValue") return reinterpret_cast<void*>(&SetValue);
        if (name == u"brailleDisplay") return reinterpret_cast<void*>(&Braille);
        return reinterpret_cast<void*>(&Unused);
    }
    void Free(void*) override { ++freed; }
};

TEST(SpeechBinding, ResolvesTheFiveExportsInOrderAndAnnounces) {
    calls.clear();
    FakeLoader loader;
    SpeechBinding binding;
    ASSERT_TRUE(binding.Bind(loader));
    EXPECT_EQ(loader.asked,
              (std::vector<std::u16string>{u"UniversalSpeech.dll", u"speechSay", u"speechSetValue",
                                           u"speechGetValue", u"speechStop", u"brailleDisplay"}));
    EXPECT_TRUE(binding.MissingExports().empty());
    binding.Announce(u"F5");
    EXPECT_EQ(calls, (std::vector<std::string>{"set 65535 1", "say F5 1", "braille F5"}));
    binding.Unbind(loader);
    EXPECT_EQ(loader.freed, 1);
    calls.clear();
    binding.Announce(u"F5");  // nothing left to call
    EXPECT_TRUE(calls.empty());
}

TEST(SpeechBinding, MissingExportsAreListedAndNeverCalled) {
    struct Case {
        std::set<std::u16string> absent;
        std::vector<int> missing;
        std::vector<std::string> announced;
    } cases[] = {
        {{u"speechSay"}, {0}, {"set 65535 1", "braille Escape", "braille On"}},
        {{u"speechSetValue"}, {1}, {"say Escape 1", "braille Escape", "braille On"}},
        {{u"speechStop", u"brailleDisplay"}, {3, 4}, {"set 65535 1", "say Escape 1"}},
        {{u"speechSay", u"speechSetValue", u"speechGetValue", u"speechStop", u"brailleDisplay"},
         {0, 1, 2, 3, 4},
         {}},
    };
    for (const auto& c : cases) {
        calls.clear();
        FakeLoader loader;
        loader.absent = c.absent;
        SpeechBinding binding;
        ASSERT_TRUE(binding.Bind(loader));
        EXPECT_EQ(binding.MissingExports(), c.missing);
        binding.Announce(u"Escape");
        binding.ShowBraille(u"On");  // braille alone, never spoken
        EXPECT_EQ(calls, c.announced);
    }
}

TEST(SpeechBinding, FailsWhenTheLibraryIsMissing) {
    FakeLoader loader;
    loader.loads = false;
    SpeechBinding binding;
    EXPECT_FALSE(binding.Bind(loader));
    EXPECT_EQ(loader.asked.size(), 1u);
    calls.clear();
    binding.Announce(u"F1");
    EXPECT_TRUE(calls.empty());
}

TEST(SpeechBinding, MissingExportMessagesCarryTheirLineNumbers) {
    const std::u16string expected[] = {
        u"line 26:\u0001speechSay Not found",      u"line 27:\u0001speechSetValue Not found",
        u"line 28:\u0001speechGetValue Not found", u"line 29:\u0001speechStop Not found",
        u"line 30:\u0001brailleDisplay Not found",
    };
    for (int n = 0; n < 5; ++n) EXPECT_EQ(MissingExportMessage(n), expected[n]);
}

}  // namespace
}  // namespace quillet
