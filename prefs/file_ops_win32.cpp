// Win32 file operations for the settings file; paths are UTF-16 throughout.
#include <windows.h>

#include "prefs/file_ops.h"
#include "runtime/text.h"

namespace quillet {

namespace {

class Win32ReplacementFile final : public ReplacementFile {
  public:
    Win32ReplacementFile(HANDLE file, std::u16string target, std::u16string temporary)
        : file_(file), target_(std::move(target)), temporary_(std::move(temporary)) {}

    ~Win32ReplacementFile() override {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
        if (!temporary_.empty()) DeleteFileW(Wide(temporary_));
    }

    bool Write(const char* data, size_t size) override {
        while (size > 0) {
            const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(file_, data, chunk, &written, nullptr) || written != chunk) return false;
            data += chunk;
            size -= chunk;
        }
        return true;
    }

    bool Commit() override {
        const bool flushed = FlushFileBuffers(file_) != 0;
        const bool closed = CloseHandle(file_) != 0;
        file_ = INVALID_HANDLE_VALUE;
        if (!flushed || !closed ||
            !MoveFileExW(Wide(temporary_), Wide(target_),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            DeleteFileW(Wide(temporary_));
            temporary_.clear();
            return false;
        }
        temporary_.clear();
        return true;
    }

  private:
    HANDLE file_;
    std::u16string target_;
    std::u16string temporary_;
};

class Win32FileOps final : public FileOps {
  public:
    int64_t SizeOf(const std::u16string& path) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(Wide(path), GetFileExInfoStandard, &data)) return -1;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -2;
        return static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    }

    bool ReadAll(const std::u16string& path, std::string& bytes) override {
        HANDLE file = CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        const DWORD size = GetFileSize(file, nullptr);
        bool ok = size != INVALID_FILE_SIZE;
        if (ok) {
            bytes.assign(size, '\0');
            DWORD read = 0;
            ok = (size == 0 || ReadFile(file, bytes.data(), size, &read, nullptr)) && read == size;
        }
        CloseHandle(file);
        return ok;
    }

    std::unique_ptr<ReplacementFile> BeginReplace(const std::u16string& path) override {
        std::u16string temporary = TemporaryPathFor(path);
        HANDLE file = CreateFileW(Wide(temporary), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return nullptr;
        return std::make_unique<Win32ReplacementFile>(file, path, std::move(temporary));
    }
};

}  // namespace

FileOps& NativeFileOps() {
    static Win32FileOps ops;
    return ops;
}

}  // namespace quillet
