#include "prefs/file_ops.h"

#include <chrono>
#include <thread>

namespace quillet {

void FileOps::Pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool FileOps::ReadAll(const std::u16string& path, std::string& bytes, size_t limit) {
    for (int waited = 0;; waited += kBusyFileRetryMs) {
        const ReadResult result = TryReadAll(path, limit, bytes);
        if (result != ReadResult::Busy) return result == ReadResult::Done;
        if (waited >= kBusyFileWaitMs) return false;
        Pause(kBusyFileRetryMs);
    }
}

}  // namespace quillet
