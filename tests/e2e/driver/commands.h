#pragma once

#include <string>
#include <vector>

namespace quillet {

// Runs one driver command given as words (the command name first); prints its
// result on stdout and returns false on failure, after saying why on stderr.
bool RunCommand(const std::vector<std::wstring>& words);

// Milliseconds since the driver started, from the performance counter; the
// "at" command waits for a moment on this clock.
double ElapsedMs();

}  // namespace quillet
