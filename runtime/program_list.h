// The programs that get their keys: file names such as "devenv.exe", matched
// without regard to case. Built on the main thread; a built list is only read.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

class ProgramList {
  public:
    static constexpr size_t kMaxPrograms = 256;
    // Longer names are no file name Windows would give.
    static constexpr size_t kMaxNameLength = 260;

    ProgramList() = default;
    // The settings file's strings: a name that is empty, too long or holds a folder
    // or drive separator is dropped, a repeat (in any case) counts once with its
    // first spelling, and names past the limit are left out.
    explicit ProgramList(std::span<const std::u16string> candidates);

    static bool IsValidName(std::u16string_view name);

    // By the same rules; false when the name was not added (not valid, already
    // listed, list full).
    bool Add(std::u16string_view name);
    // False when no name matched.
    bool Remove(std::u16string_view name);

    // Whether `fileName` is listed, in any case as Windows folds it. Allocates
    // nothing.
    bool Contains(std::u16string_view fileName) const;

    // The names as they are to be written back, in their order.
    const std::vector<std::u16string>& Names() const { return names_; }
    bool Empty() const { return names_.empty(); }

  private:
    std::vector<std::u16string> names_;
    std::vector<std::u16string> sorted_;  // ignoring case, for the lookup
};

}  // namespace quillet
