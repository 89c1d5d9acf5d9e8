#include "speech/speech_binding.h"

#include "runtime/text.h"

namespace quillet {

namespace {
constexpr int kFirstReportLine = 26;
constexpr int kSayIndex = 0;
constexpr int kSetValueIndex = 1;
constexpr int kGetValueIndex = 2;
constexpr int kBrailleIndex = 4;
constexpr int kSpeechValueKey = 65535;
}  // namespace

bool SpeechBinding::Bind(LibraryLoader& loader) {
    library_ = loader.Load(kSpeechLibraryName);
    missing_.clear();
    entries_.fill(nullptr);
    if (!library_) return false;
    for (size_t i = 0; i < kSpeechExports.size(); ++i) {
        entries_[i] = loader.Resolve(library_, kSpeechExports[i]);
        if (!entries_[i]) missing_.push_back(static_cast<int>(i));
    }
    return true;
}

void SpeechBinding::Unbind(LibraryLoader& loader) {
    if (library_) loader.Free(library_);
    library_ = nullptr;
    entries_.fill(nullptr);
}

void SpeechBinding::Announce(std::u16string_view text) const {
    if (auto setValue = reinterpret_cast<SpeechSetValueFn>(entries_[kSetValueIndex])) {
        setValue(kSpeechValueKey, 1);
    }
    const std::u16string terminated(text);
    if (auto say = reinterpret_cast<SpeechSayFn>(entries_[kSayIndex])) say(terminated.c_str(), 1);
    ShowBraille(terminated);
}

void SpeechBinding::ShowBraille(std::u16string_view text) const {
    if (auto braille = reinterpret_cast<BrailleDisplayFn>(entries_[kBrailleIndex])) {
        braille(std::u16string(text).c_str());
    }
}

int SpeechBinding::Engine() const {
    const auto getValue = reinterpret_cast<SpeechGetValueFn>(entries_[kGetValueIndex]);
    return getValue ? getValue(kSpeechEngineValue, 0) : kNoEngineAnswer;
}

std::u16string MissingExportMessage(int exportIndex, std::u16string_view nameNotFound) {
    std::u16string text = u"line " + IntegerText(kFirstReportLine + exportIndex) + u":";
    text += char16_t{1};
    text += FillPlaceholder(nameNotFound, kSpeechExports[exportIndex]);
    return text;
}

}  // namespace quillet
