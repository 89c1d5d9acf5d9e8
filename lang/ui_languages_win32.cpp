// Windows' user interface languages for the user, most wanted first.
#include <windows.h>

#include <vector>

#include "lang/language.h"
#include "runtime/text.h"

namespace quillet {

std::vector<std::u16string> UserPreferredUILanguages() {
    // Looked up at run time: Windows XP has only the one default language.
    using PreferredCall = BOOL(WINAPI*)(DWORD, PULONG, PZZWSTR, PULONG);
    const auto preferred = reinterpret_cast<PreferredCall>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetUserPreferredUILanguages")));
    if (preferred) {
        ULONG count = 0;
        ULONG size = 0;
        if (preferred(MUI_LANGUAGE_NAME, &count, nullptr, &size) && size > 0) {
            std::vector<wchar_t> list(size, L'\0');
            if (preferred(MUI_LANGUAGE_NAME, &count, list.data(), &size)) {
                std::vector<std::u16string> names =
                    SplitNameList(FromWide(list.data(), list.size()));
                if (!names.empty()) return names;
            }
        }
    }
    return {LanguageNameOfId(GetUserDefaultUILanguage())};
}

}  // namespace quillet
