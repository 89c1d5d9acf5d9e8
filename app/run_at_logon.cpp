#include "app/run_at_logon.h"

#include "runtime/ignore_case.h"

namespace quillet {

std::u16string RunAtLogonCommand(std::u16string_view exePath) {
    std::u16string command = u"\"";
    command += exePath;
    command += u"\" /silent";
    return command;
}

bool IsStartupApproved(const std::optional<std::vector<uint8_t>>& value) {
    return !value || (value->size() == sizeof kStartupEnabled && ((*value)[0] & 1) == 0);
}

bool IsRunAtLogonOn(RunAtLogonValues& key, std::u16string_view exePath) {
    const std::optional<std::u16string> value = key.Read();
    if (!value || value->size() < exePath.size() + 2 || (*value)[0] != u'"') return false;
    const std::u16string_view command(*value);
    const size_t close = exePath.size() + 1;
    if (command[close] != u'"' || !EqualIgnoringCase(command.substr(1, exePath.size()), exePath)) {
        return false;
    }
    return (close + 1 == command.size() || command[close + 1] == u' ') &&
           IsStartupApproved(key.ReadStartupApproved());
}

bool SetRunAtLogon(RunAtLogonValues& key, std::u16string_view exePath, bool on) {
    if (!on) return key.Delete();
    if (!key.Write(RunAtLogonCommand(exePath))) return false;
    return IsStartupApproved(key.ReadStartupApproved()) ||
           key.WriteStartupApproved(kStartupEnabled);
}

}  // namespace quillet
