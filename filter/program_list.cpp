#include "filter/program_list.h"

#include <algorithm>

#include "runtime/ignore_case.h"

namespace quillet {

namespace {

std::u16string Folded(std::u16string_view name) {
    std::u16string folded(name);
    for (char16_t& c : folded) c = OrdinalUpper(c);
    return folded;
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
    if (!IsValidName(name) || names_.size() >= kMaxPrograms) return false;
    std::u16string folded = Folded(name);
    const auto at = std::lower_bound(folded_.begin(), folded_.end(), folded);
    if (at != folded_.end() && *at == folded) return false;
    folded_.insert(at, std::move(folded));
    names_.emplace_back(name);
    return true;
}

bool ProgramList::Remove(std::u16string_view name) {
    const auto spelled = std::find_if(names_.begin(), names_.end(), [&](const std::u16string& n) {
        return EqualIgnoringCase(n, name);
    });
    if (spelled == names_.end()) return false;
    const auto at = std::lower_bound(folded_.begin(), folded_.end(), Folded(name));
    folded_.erase(at);
    names_.erase(spelled);
    return true;
}

bool ProgramList::Contains(std::u16string_view fileName) const {
    if (fileName.empty() || fileName.size() > kMaxNameLength || folded_.empty()) return false;
    char16_t buffer[kMaxNameLength];
    for (size_t i = 0; i < fileName.size(); ++i) buffer[i] = OrdinalUpper(fileName[i]);
    const std::u16string_view folded(buffer, fileName.size());
    const auto at = std::lower_bound(
        folded_.begin(), folded_.end(), folded,
        [](const std::u16string& a, std::u16string_view b) { return std::u16string_view(a) < b; });
    return at != folded_.end() && *at == folded;
}

}  // namespace quillet
