#include "runtime/program_list.h"

#include <algorithm>

#include "runtime/ignore_case.h"

namespace quillet {

namespace {

bool SortsBefore(std::u16string_view a, std::u16string_view b) {
    return CompareIgnoringCase(a, b) < 0;
}

}  // namespace

ProgramList::ProgramList(std::span<const std::u16string> candidates) {
    for (const std::u16string& name : candidates) Add(name);
}

bool ProgramList::IsValidName(std::u16string_view name) {
    return !name.empty() && name.size() <= kMaxNameLength &&
           name.find_first_of(u"\\/:") == std::u16string_view::npos;
}

bool ProgramList::Add(std::u16string_view name) {
    if (!IsValidName(name) || names_.size() >= kMaxPrograms || Contains(name)) return false;
    sorted_.emplace(std::lower_bound(sorted_.begin(), sorted_.end(), name, SortsBefore), name);
    names_.emplace_back(name);
    return true;
}

bool ProgramList::Remove(std::u16string_view name) {
    const auto spelled = std::find_if(names_.begin(), names_.end(), [&](const std::u16string& n) {
        return EqualIgnoringCase(n, name);
    });
    if (spelled == names_.end()) return false;
    sorted_.erase(std::lower_bound(sorted_.begin(), sorted_.end(), name, SortsBefore));
    names_.erase(spelled);
    return true;
}

bool ProgramList::Contains(std::u16string_view fileName) const {
    const auto at = std::lower_bound(sorted_.begin(), sorted_.end(), fileName, SortsBefore);
    return at != sorted_.end() && EqualIgnoringCase(*at, fileName);
}

}  // namespace quillet
