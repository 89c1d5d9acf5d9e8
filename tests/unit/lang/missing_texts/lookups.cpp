// Lookups of every form the text check reads; those marked "missing" name a
// text the template lacks, and the check must name each with its line.
#include <string_view>

#include "lang/language.h"

namespace quillet {

constexpr char16_t kKnown[] = u"Already running.";
constexpr char16_t kMisspelt[] = u"Alredy running.";
constexpr std::u16string_view kModes[2] = {u"Ignoring double-press.", u"Ignoring double press."};
constexpr char16_t kKeyNameContext[] = u"key name";
constexpr char16_t kTrayMenuContext[] = u"tray menu";
constexpr char16_t kSubmenuContext[] = u"ignore submenu";

inline constexpr TrayMenuEntry kTrayMenu[] = {
    {MenuEntry::Item, kMenuTimeout, u"Change double press &timeout..."},
    {MenuEntry::OpenSubmenu, -1, u"Ignore double-&press"},
    {MenuEntry::Item, kMenuIgnoreOff, u"Don't ignore (default)"},
    {MenuEntry::Item, kMenuExit, u"E&xit"},  // missing: not in the submenu
    {MenuEntry::CloseSubmenu, -1, u""},
    {MenuEntry::Item, kMenuIgnoreAlways, u"Ignore"},  // missing: only in the submenu
};

void Lookups(const Language& language, std::u16string_view someText) {
    language.Text(u"Timeout");
    language.Text(u"Timeuot");  // missing
    language.Text(kKnown);
    language.Text(kMisspelt);  // missing
    language.Text(kModes[1]);  // missing: the second
    language.Text(u"Escape", kKeyNameContext);
    language.Text(u"Escape");  // missing: only as a key name
    language.Text(u"The new double press timeout is %d MS", {}, u"5");
    language.Text(
        u"The new double press "
        u"timeout is %d MS",
        {}, u"5");
    language.Text(u"Error", u"tray menu");  // missing: not in that context
    language.Text(/* "Timeout" */ u"OK");
    language.Text(someText);  // cannot tell
    TrayMenuEntries([&](const char16_t* context, const char16_t* label) {
        return language.Text(label, context);
    });
}

}  // namespace quillet
