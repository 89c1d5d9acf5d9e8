#include "app/run_at_logon.h"

#include "runtime/ignore_case.h"

namespace quillet {

std::u16string RunAtLogonCommand(std::u16string_view exePath) {
    std::u16string command = u"\"";
    command += exePath;
    command += u"\" /silent";
    return command;
}

bool IsRunAtLogonOn(RunKey& key, std::u16string_view exePath) {
    const std::optional<std::u16string> value = key.Read();
    if (!value || value->size() < exePath.size() + 2 || (*value)[0] != u'"') return false;
    const std::u16string_view command(*value);
    const size_t close = exePath.size() + 1;
    if (command[close] != u'"' || !EqualIgnoringCase(command.substr(1, exePath.size()), exePath)) {
        return false;
    }
    return close + 1 == command.size() || command[close + 1] == u' ';
}

bool SetRunAtLogon(RunKey& key, std::u16string_view exePath, bool on) {
    return on ? key.Write(RunAtLogonCommand(exePath)) : key.Delete();
}

}  // namespace quillet
