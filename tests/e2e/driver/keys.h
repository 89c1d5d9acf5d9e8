#pragma once

#include <string>

namespace quillet {

// Virtual-key code for a name ("f5", "esc", "ctrl", "insert", "a") or a
// number; 0 when unknown.
unsigned KeyByName(const std::wstring& name);

// Injects one key event through SendInput with the key's scan code, as a
// keyboard would deliver it, so low-level hooks see it first.
bool SendKey(unsigned vk, bool down);

}  // namespace quillet
