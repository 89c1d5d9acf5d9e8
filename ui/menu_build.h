// Where the next menu item goes while a popup menu is being built: the menu
// itself or the innermost open submenu, at most 64 deep.
#pragma once

#include <array>
#include <cstdint>

namespace quillet {

class MenuBuildState {
  public:
    static constexpr int MaxDepth = 64;

    void Start(void* menu) {
        menu_ = menu;
        target_ = menu;
        depth_ = 0;
        overflow_ = 0;
    }
    void* Menu() const { return menu_; }
    void* Target() const { return target_; }
    int Depth() const { return depth_; }
    // False when the nesting is already at its limit; the submenu is then not made
    // and its items go to the current target.
    bool CanOpen() const { return depth_ < MaxDepth; }
    void Open(void* submenu);
    void RefuseOpen() { ++overflow_; }
    void Close();

  private:
    void* menu_ = nullptr;
    void* target_ = nullptr;
    std::array<void*, MaxDepth> enclosing_{};
    int depth_ = 0;
    int overflow_ = 0;
};

}  // namespace quillet
