#include <windows.h>

#include "runtime/module_path.h"
#include "runtime/path.h"
#include "runtime/text.h"

namespace quillet {

std::u16string ExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    while (true) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return FromWide(buffer.c_str(), n);
        if (buffer.size() >= 32768) return {};  // longer than any Windows path
        buffer.resize(buffer.size() * 2);
    }
}

std::u16string PathBesideExecutable(std::u16string_view fileName) {
    std::u16string path = FolderOfPath(ExecutablePath());
    path += fileName;
    if (path.size() >= MAX_PATH && path.size() > 2 && path[1] == u':') path = u"\\\\?\\" + path;
    return path;
}

void* LoadSystemLibrary(std::u16string_view fileName) {
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    std::u16string path = FromWide(folder, n);
    path += u'\\';
    path += fileName;
    // Its own dependencies are looked for in that folder first, too.
    return LoadLibraryExW(Wide(path), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace quillet
