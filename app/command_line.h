// Splitting the command line into program parameters and joining them back
// into the one parameter text the program looks at.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// The words of a command line, the program's own name first. Words are split
// at runs of spaces (tabs do not split). A word opening with a double quote
// runs to the next one and loses both quotes; inside other words a quoted
// stretch may hold spaces and keeps its quotes.
std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine);

// The parameters after the program's name, each followed by one space, with
// trailing spaces then removed from the whole text.
std::u16string JoinProgramParameters(std::u16string_view commandLine);

}  // namespace quillet
