// quillet_driver: drives Quillet.exe from outside for the end-to-end tests.
// "quillet_driver <command> <args...>" runs one command; "quillet_driver
// script [file|-]" runs one command per line, so a timed key sequence runs in
// one process with millisecond timing.
#include <windows.h>
// After windows.h; the lean headers leave out the timer-resolution calls.
#include <fcntl.h>
#include <io.h>
#include <mmsystem.h>

#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "output.h"

namespace quillet {
namespace {

// Words separated by blanks; a double-quoted stretch may hold blanks.
std::vector<std::wstring> SplitWords(const std::wstring& line) {
    std::vector<std::wstring> words;
    std::wstring word;
    bool quoted = false, inWord = false;
    for (wchar_t c : line) {
        if (c == L'"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == L' ' || c == L'\t' || c == L'\r')) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

std::wstring FromUtf8(const std::string& text) {
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size > 0 ? size_t(size) : 0, L'\0');
    if (size > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size);
    return out;
}

int RunScript(const std::wstring& source) {
    FILE* file = source == L"-" ? stdin : _wfopen(source.c_str(), L"rb");
    if (!file) return PrintError(L"error: cannot open " + source), 2;
    std::vector<std::string> lines;
    std::string line;
    for (int c; (c = fgetc(file)) != EOF;) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += char(c);
        }
    }
    if (!line.empty()) lines.push_back(line);
    if (file != stdin) fclose(file);
    // Read everything first so that reading never delays a timed step.
    ElapsedMs();
    for (size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::wstring> words = SplitWords(FromUtf8(lines[i]));
        if (words.empty() || words[0][0] == L'#') continue;
        if (!RunCommand(words)) {
            PrintError(L"error: script line " + std::to_wstring(i + 1) + L" failed");
            return 1;
        }
    }
    return 0;
}

}  // namespace
}  // namespace quillet

int wmain(int argc, wchar_t** argv) {
    using namespace quillet;
    // Plain \n line ends whether the output is a console, a pipe or a file.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    timeBeginPeriod(1);
    ElapsedMs();
    int code = 0;
    if (argc >= 2 && std::wstring(argv[1]) == L"script") {
        code = RunScript(argc >= 3 ? argv[2] : L"-");
    } else {
        std::vector<std::wstring> words(argv + 1, argv + argc);
        if (words.empty()) {
            PrintError(L"usage: quillet_driver <command> [args] | script [file|-]");
            code = 2;
        } else {
            code = RunCommand(words) ? 0 : 1;
        }
    }
    timeEndPeriod(1);
    return code;
}
