// Binding to the outside speech library: five exports resolved by name, two
// of them called to speak and one to show the same text in braille.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

inline constexpr char16_t kSpeechLibraryName[] = u"UniversalSpeech.dll";

inline constexpr std::array<std::u16string_view, 5> kSpeechExports = {
    u"speechSay", u"speechSetValue", u"speechGetValue", u"speechStop", u"brailleDisplay"};

// The library's calls, with the C calling convention.
using SpeechSayFn = int (*)(const char16_t* text, int interrupt);
using SpeechSetValueFn = int (*)(int what, int value);
using BrailleDisplayFn = int (*)(const char16_t* text);
using SpeechGetValueFn = int (*)(int what, int unused);

// The library's value for the engine it speaks through: UniversalSpeech's number of the
// screen reader or voice, -1 for none. kNoEngineAnswer stands for no answer at all.
inline constexpr int kSpeechEngineValue = 0x40000;
inline constexpr int kNoEngineAnswer = -2;

// What the binding needs from the system's library loader.
class LibraryLoader {
  public:
    virtual ~LibraryLoader() = default;
    virtual void* Load(std::u16string_view fileName) = 0;  // null on failure
    virtual void* Resolve(void* library, std::u16string_view exportName) = 0;
    virtual void Free(void* library) = 0;
};

class SpeechBinding {
  public:
    // Loads the library and resolves its exports in order. False when the
    // library itself cannot be loaded; missing exports are listed by index.
    bool Bind(LibraryLoader& loader);
    const std::vector<int>& MissingExports() const { return missing_; }
    void Unbind(LibraryLoader& loader);

    // Sets the speech value 65535 to 1, says the text, interrupting, then shows
    // it in braille. A missing export is never called; answers are not looked at,
    // so a library that has no braille for the reader changes nothing.
    void Announce(std::u16string_view text) const;
    // The text on the braille display alone, nothing spoken; nothing without
    // brailleDisplay.
    void ShowBraille(std::u16string_view text) const;
    // Which engine the library speaks through; kNoEngineAnswer without speechGetValue.
    int Engine() const;

  private:
    void* library_ = nullptr;
    std::array<void*, 5> entries_{};
    std::vector<int> missing_;
};

// The "error" box text for a missing export: "line 26:", U+0001, "speechSay Not found";
// the last part is `nameNotFound` with the export's name for its placeholder.
inline constexpr char16_t kMissingExportText[] = u"%s Not found";
std::u16string MissingExportMessage(int exportIndex,
                                    std::u16string_view nameNotFound = kMissingExportText);

}  // namespace quillet
