#include "output.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace quillet {
namespace {

std::string Utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(),
                            size, nullptr, nullptr);
    }
    return out;
}

void Write(FILE* stream, const std::wstring& line) {
    std::string bytes = Utf8(line) + "\n";
    fwrite(bytes.data(), 1, bytes.size(), stream);
    fflush(stream);
}

}  // namespace

void PrintLine(const std::wstring& line) { Write(stdout, line); }

void PrintError(const std::wstring& line) { Write(stderr, line); }

std::wstring Escaped(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\\') {
            out += L"\\\\";
        } else if (c < 0x20 || c == 0x7f) {
            wchar_t buf[8];
            swprintf(buf, 8, L"\\u%04x", static_cast<unsigned>(c));
            out += buf;
        } else {
            out += c;
        }
    }
    return out;
}

bool ParseNumber(const std::wstring& word, int64_t& value) {
    if (word.empty()) return false;
    wchar_t* end = nullptr;
    long long n = wcstoll(word.c_str(), &end, 0);
    if (!end || *end != 0) return false;
    value = n;
    return true;
}

}  // namespace quillet
