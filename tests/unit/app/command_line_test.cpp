#include "app/command_line.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(CommandLine, JoinsParametersAsTheProgramSeesThem) {
    struct Case {
        const char16_t* commandLine;
        const char16_t* parameters;
    } cases[] = {
        {u"Quillet.exe", u""},
        {u"\"C:\\Program Files\\Quillet\\Quillet.exe\" /silent", u"/silent"},
        {u"Quillet.exe   /SILENT   ", u"/SILENT"},
        {u"Quillet.exe /silent extra", u"/silent extra"},
        {u"Quillet.exe \"/silent   \"", u"/silent"},   // trailing spaces trimmed
        {u"Quillet.exe \" /silent\"", u" /silent"},    // leading spaces stay
        {u"Quillet.exe a\"b c\"d e", u"a\"b c\"d e"},  // quotes inside a word stay
        {u"Quillet.exe \"a b\"c", u"a b c"},           // next word right after the quote
        {u"Quillet.exe \"unterminated  ", u"unterminated"},
        {u"Quillet.exe x\"open to the end", u"x\"open to the end"},
        {u"Quillet.exe \"\" x", u" x"},            // an empty word still counts
        {u"Quillet.exe\t/silent", u""},            // tabs do not separate
        {u"Quillet.exe /silent\t", u"/silent\t"},  // and are not trimmed
        {u"\"Quillet.exe\"/silent", u"/silent"},
        {u"", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JoinProgramParameters(c.commandLine), c.parameters);
    }
}

}  // namespace
}  // namespace quillet
