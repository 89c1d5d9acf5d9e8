#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quillet {

// Runs one driver command given as words (the command name first); prints its
// result on stdout and returns false on failure, after saying why on stderr.
bool RunCommand(const std::vector<std::wstring>& words);

// Milliseconds since the driver started, from the performance counter; the
// "at" command waits for a moment on this clock.
double ElapsedMs();

// Argument helpers for commands: each says why on stderr and returns false.
bool Fail(const std::wstring& why);
bool Number(const std::wstring& word, int64_t& value);
bool Window(const std::wstring& word, HWND& window);  // an existing window

}  // namespace quillet
