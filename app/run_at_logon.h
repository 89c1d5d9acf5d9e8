// "Start with Windows": the value "Quillet" under
// HKCU\Software\Microsoft\Windows\CurrentVersion\Run, holding this executable's
// path in quotes and "/silent", so a start at logon makes no start sound. Task
// Manager's Startup tab keeps its own word on that value beside it, in
// ...\CurrentVersion\Explorer\StartupApproved\Run: a 12-byte binary whose first byte
// is odd while the user has disabled the entry there.
// Portable; the registry values come through RunAtLogonValues.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// The two registry values: the Run value and Task Manager's StartupApproved value.
class RunAtLogonValues {
  public:
    virtual ~RunAtLogonValues() = default;
    // The Run value's text; nothing when it is absent or not a string.
    virtual std::optional<std::u16string> Read() = 0;
    // Writes the value as REG_SZ.
    virtual bool Write(std::u16string_view command) = 0;
    // True also when there was no value.
    virtual bool Delete() = 0;
    // The StartupApproved value's bytes; nothing when it is absent, no bytes when it
    // is there but cannot be read as a binary.
    virtual std::optional<std::vector<uint8_t>> ReadStartupApproved() = 0;
    // Writes the StartupApproved value as REG_BINARY.
    virtual bool WriteStartupApproved(std::span<const uint8_t> bytes) = 0;
};

// "C:\Tools\Quillet\Quillet.exe" /silent
std::u16string RunAtLogonCommand(std::u16string_view exePath);

// What Task Manager writes for an entry it lets start.
inline constexpr uint8_t kStartupEnabled[12] = {2};

// Whether Task Manager lets the entry start: no word of its own, or 12 bytes with an
// even first byte. Anything else reads as disabled: choosing the item then writes
// the enabled word, so a value we do not understand never keeps the user from
// turning it on.
bool IsStartupApproved(const std::optional<std::vector<uint8_t>>& value);

// True only while the value exists and starts this executable, and Task Manager does
// not say it is disabled. The quoted path matches without regard to case, whatever
// the arguments after it. A value naming another copy, or the path without quotes,
// reads as off.
bool IsRunAtLogonOn(RunAtLogonValues& key, std::u16string_view exePath);

// On writes the value (over whatever it held) and Task Manager's enabled word where it
// said disabled; off deletes the value and leaves Task Manager's word as it is. False
// when that failed.
bool SetRunAtLogon(RunAtLogonValues& key, std::u16string_view exePath, bool on);

}  // namespace quillet
