#include "app/run_at_logon_win32.h"

#include <windows.h>

namespace quillet {

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kApprovedKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
constexpr wchar_t kValueName[] = L"Quillet";

bool SetValue(const wchar_t* subKey, DWORD type, const void* data, size_t size) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, subKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LSTATUS status = RegSetValueExW(key, kValueName, 0, type, static_cast<const BYTE*>(data),
                                          static_cast<DWORD>(size));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace

std::optional<std::u16string> SystemRunAtLogonValues::Read() {
    // Asked twice: its size, then its text; a value that grew between the two is
    // read again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD size = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValueName, RRF_RT_REG_SZ, nullptr, nullptr,
                         &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        std::u16string text(size / sizeof(wchar_t) + 1, u'\0');
        size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValueName, RRF_RT_REG_SZ,
                                            nullptr, text.data(), &size);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) return std::nullopt;
        text.resize(text.find(u'\0'));
        return text;
    }
    return std::nullopt;
}

bool SystemRunAtLogonValues::Write(std::u16string_view command) {
    const std::u16string text(command);
    return SetValue(kRunKey, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

bool SystemRunAtLogonValues::Delete() {
    const LSTATUS status = RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

std::optional<std::vector<uint8_t>> SystemRunAtLogonValues::ReadStartupApproved() {
    // Windows' word is 12 bytes; a longer value is not one we know.
    std::vector<uint8_t> bytes(64);
    DWORD size = static_cast<DWORD>(bytes.size());
    DWORD type = REG_NONE;
    const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, kApprovedKey, kValueName, RRF_RT_ANY,
                                        &type, bytes.data(), &size);
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) return std::nullopt;
    if (status != ERROR_SUCCESS || type != REG_BINARY) return std::vector<uint8_t>{};
    bytes.resize(size);
    return bytes;
}

bool SystemRunAtLogonValues::WriteStartupApproved(std::span<const uint8_t> bytes) {
    return SetValue(kApprovedKey, REG_BINARY, bytes.data(), bytes.size());
}

}  // namespace quillet
