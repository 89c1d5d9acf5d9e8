#include "app/command_line.h"

namespace quillet {

std::vector<std::u16string> SplitCommandLine(std::u16string_view line) {
    std::vector<std::u16string> words;
    size_t i = 0;
    while (true) {
        while (i < line.size() && line[i] == u' ') ++i;
        if (i >= line.size()) break;
        std::u16string word;
        if (line[i] == u'"') {
            const size_t close = line.find(u'"', i + 1);
            const size_t end = close == std::u16string_view::npos ? line.size() : close;
            word = line.substr(i + 1, end - i - 1);
            // The next word may start right after the closing quote.
            i = close == std::u16string_view::npos ? line.size() : close + 1;
        } else {
            bool quoted = false;
            while (i < line.size() && (quoted || line[i] != u' ')) {
                if (line[i] == u'"') quoted = !quoted;
                word += line[i++];
            }
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::u16string JoinProgramParameters(std::u16string_view commandLine) {
    const auto words = SplitCommandLine(commandLine);
    std::u16string text;
    for (size_t n = 1; n < words.size(); ++n) {
        text += words[n];
        text += u' ';
    }
    const size_t last = text.find_last_not_of(u' ');
    text.erase(last == std::u16string::npos ? 0 : last + 1);
    return text;
}

}  // namespace quillet
