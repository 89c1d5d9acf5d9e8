// "Start with Windows": the value "Quillet" under
// HKCU\Software\Microsoft\Windows\CurrentVersion\Run, holding this executable's
// path in quotes and "/silent", so a start at logon makes no start sound.
// Portable; the registry value comes through RunKey.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillet {

class RunKey {
  public:
    virtual ~RunKey() = default;
    // The value's text; nothing when it is absent or not a string.
    virtual std::optional<std::u16string> Read() = 0;
    // Writes the value as REG_SZ.
    virtual bool Write(std::u16string_view command) = 0;
    // True also when there was no value.
    virtual bool Delete() = 0;
};

// "C:\Tools\Quillet\Quillet.exe" /silent
std::u16string RunAtLogonCommand(std::u16string_view exePath);

// True only while the value exists and starts this executable: its quoted path
// matches without regard to case, whatever the arguments after it. A value naming
// another copy, or the path without quotes, reads as off.
bool IsRunAtLogonOn(RunKey& key, std::u16string_view exePath);

// Writes the value (over whatever it held) or deletes it; false when that failed.
bool SetRunAtLogon(RunKey& key, std::u16string_view exePath, bool on);

}  // namespace quillet
