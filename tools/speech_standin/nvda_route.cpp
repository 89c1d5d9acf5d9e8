#include <windows.h>

#include "speech_routes.h"

namespace quillet {
namespace {

// NVDA's controller client, a DLL that lies beside this library. Its calls
// answer 0 on success; testIfRunning is asked before every call so that an
// NVDA started or closed meanwhile is noticed.
using NoArgumentCall = unsigned long(__stdcall*)();
using TextCall = unsigned long(__stdcall*)(const wchar_t*);

// The x86 client's name since NVDA 2024.1, and the one it had before.
constexpr const wchar_t* kClientNames[] = {L"nvdaControllerClient.dll",
                                           L"nvdaControllerClient32.dll"};

// The full path of a file in this library's own folder, or empty.
[[maybe_unused]] std::wstring BesideThisLibrary(const wchar_t* name) {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&BesideThisLibrary), &self)) {
        return std::wstring();
    }
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return std::wstring();
    return path.substr(0, slash + 1) + name;
}

class NvdaRoute : public SpeechRoute {
  public:
    const wchar_t* Name() const override { return L"nvda"; }
    int Engine() const override { return 2; }

    bool Say(const std::wstring& text, bool interrupt) override {
        if (!Running()) return false;
        if (interrupt) cancelSpeech_();
        return speakText_(text.c_str()) == 0;
    }

    bool Stop() override { return Running() && cancelSpeech_() == 0; }

    bool Braille(const std::wstring& text) override {
        return Running() && brailleMessage_(text.c_str()) == 0;
    }

  private:
    bool Running() { return Load() && testIfRunning_() == 0; }

    // Tried again at each call until it loads.
    bool Load() {
        if (client_) return true;
        HMODULE client = nullptr;
        for (const wchar_t* name : kClientNames) {
            if ((client = LoadClient(name))) break;
        }
        if (!client) return false;
        testIfRunning_ = Entry<NoArgumentCall>(client, "nvdaController_testIfRunning");
        cancelSpeech_ = Entry<NoArgumentCall>(client, "nvdaController_cancelSpeech");
        speakText_ = Entry<TextCall>(client, "nvdaController_speakText");
        brailleMessage_ = Entry<TextCall>(client, "nvdaController_brailleMessage");
        if (!testIfRunning_ || !cancelSpeech_ || !speakText_ || !brailleMessage_) {
            FreeLibrary(client);
            return false;
        }
        client_ = client;
        return true;
    }

#ifdef QUILLET_STANDIN_BARE_NAME_CLIENT
    // As the full speech library does: by bare name, so the process's search
    // order decides where it comes from.
    static HMODULE LoadClient(const wchar_t* name) { return LoadLibraryW(name); }
#else
    // By full path only, never through the search order, so a planted copy
    // elsewhere is never run.
    static HMODULE LoadClient(const wchar_t* name) {
        const std::wstring path = BesideThisLibrary(name);
        if (path.empty()) return nullptr;
        return LoadLibraryExW(path.c_str(), nullptr,
                              LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
#endif

    template <typename Call>
    static Call Entry(HMODULE client, const char* name) {
        // Through void*: FARPROC's own type says nothing about the real signature.
        return reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(client, name)));
    }

    HMODULE client_ = nullptr;
    NoArgumentCall testIfRunning_ = nullptr;
    NoArgumentCall cancelSpeech_ = nullptr;
    TextCall speakText_ = nullptr;
    TextCall brailleMessage_ = nullptr;
};

}  // namespace

std::unique_ptr<SpeechRoute> MakeNvdaRoute() { return std::make_unique<NvdaRoute>(); }

}  // namespace quillet
