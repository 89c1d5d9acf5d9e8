// The Run value and Task Manager's StartupApproved value in the current user's registry.
#pragma once

#include "app/run_at_logon.h"

namespace quillet {

class SystemRunAtLogonValues final : public RunAtLogonValues {
  public:
    std::optional<std::u16string> Read() override;
    bool Write(std::u16string_view command) override;
    bool Delete() override;
    std::optional<std::vector<uint8_t>> ReadStartupApproved() override;
    bool WriteStartupApproved(std::span<const uint8_t> bytes) override;
};

}  // namespace quillet
