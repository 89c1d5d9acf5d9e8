#include <windows.h>

#include "runtime/text.h"
#include "speech/library_loader.h"

namespace quillet {

namespace {

class Win32LibraryLoader final : public LibraryLoader {
public:
    void* Load(std::u16string_view fileName) override {
        // Only the executable's folder and the system folders: a library
        // planted in the working directory or on PATH is never picked up.
        const std::u16string name(fileName);
        return LoadLibraryExW(Wide(name), nullptr,
                              LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    }
    void* Resolve(void* library, std::u16string_view exportName) override {
        const std::u16string wide(exportName);
        char narrow[260];
        const int n = WideCharToMultiByte(CP_ACP, 0, Wide(wide), -1, narrow, sizeof narrow,
                                          nullptr, nullptr);
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
