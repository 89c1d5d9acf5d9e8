#include <windows.h>

#include <string>

#include "runtime/module_path.h"
#include "runtime/path.h"
#include "runtime/text.h"
#include "speech/library_loader.h"

namespace quillet {

namespace {

// The folder of this executable with its trailing separator.
std::wstring ExecutableFolder() { return Wide(FolderOfPath(ExecutablePath())); }

class Win32LibraryLoader final : public LibraryLoader {
  public:
    // Only the executable's folder and the system folders: a library planted in the
    // working directory or on PATH is never picked up. The full path also works from
    // a folder deeper than the old 260-character limit.
    void* Load(std::u16string_view fileName) override {
        const std::u16string name(fileName);
        const std::wstring beside = ExecutableFolder() + Wide(name);
        HMODULE library =
            LoadLibraryExW(beside.c_str(), nullptr,
                           LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
        // Windows without the search flags refuses them outright: the full path
        // still names the one file, and its dependencies come from its folder.
        if (!library && GetLastError() == ERROR_INVALID_PARAMETER) {
            library = LoadLibraryExW(beside.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        }
        if (library) return library;
        library = LoadLibraryExW(Wide(name), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!library && GetLastError() == ERROR_INVALID_PARAMETER) {
            return LoadSystemLibrary(name);
        }
        return library;
    }
    void* Resolve(void* library, std::u16string_view exportName) override {
        const std::u16string wide(exportName);
        char narrow[260];
        const int n =
            WideCharToMultiByte(CP_ACP, 0, Wide(wide), -1, narrow, sizeof narrow, nullptr, nullptr);
        if (n <= 0) return nullptr;
        return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), narrow));
    }
    void Free(void* library) override { FreeLibrary(static_cast<HMODULE>(library)); }
};

}  // namespace

LibraryLoader& SystemLibraryLoader() {
    static Win32LibraryLoader loader;
    return loader;
}

}  // namespace quillet
