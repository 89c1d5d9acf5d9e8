// The process and its place in Windows: the Process seam.
#pragma once

#include <windows.h>

#include "app/seams.h"

namespace quillet {

class Win32Process final : public Process {
  public:
    void StartLayers() override;
    void EndLayers() override;
    std::vector<std::u16string> PreferredUILanguages() override;
    bool CreateInstanceMutex() override;
    void CloseInstanceMutex() override;
    std::u16string ExecutablePath() override;
    void SetWorkingDirectory(const std::u16string& folder) override;
    std::u16string CommandLine() override;
    Elevation QueryElevation() override;
    std::u16string WindowsVersion() override;
    ListClock ReadListClock() override;
    bool Launch(const std::u16string& file, const std::u16string& parameters,
                const std::u16string& directory, const std::u16string& verb) override;
    void EndProcess() override;

  private:
    HANDLE mutex_ = nullptr;
};

}  // namespace quillet
