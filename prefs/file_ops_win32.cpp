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
        if (!flushed || !closed || !Replace()) {
            DeleteFileW(Wide(temporary_));
            temporary_.clear();
            return false;
        }
        temporary_.clear();
        return true;
    }

  private:
    // An antivirus or the indexer may hold the file for a moment after any change:
    // asked again for up to a second, as a busy file is when read.
    bool Replace() {
        for (int waited = 0;; waited += kBusyFileRetryMs) {
            if (MoveFileExW(Wide(temporary_), Wide(target_),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                return true;
            }
            const DWORD error = GetLastError();
            if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED &&
                error != ERROR_LOCK_VIOLATION) {
                return false;
            }
            if (waited >= kBusyFileWaitMs) return false;
            Sleep(kBusyFileRetryMs);
        }
    }

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

    ReadResult TryReadAll(const std::u16string& path, size_t limit, std::string& bytes) override {
        HANDLE file = CreateFileW(Wide(path), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return GetLastError() == ERROR_SHARING_VIOLATION ? ReadResult::Busy
                                                             : ReadResult::Failed;
        }
        ReadResult result = ReadResult::Failed;
        LARGE_INTEGER size{};
        if (GetFileSizeEx(file, &size) && static_cast<uint64_t>(size.QuadPart) <= limit &&
            size.QuadPart <= MAXDWORD) {
            bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
            DWORD read = 0;
            if (bytes.empty() ||
                ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
                if (read == bytes.size()) result = ReadResult::Done;
            } else if (GetLastError() == ERROR_LOCK_VIOLATION) {
                result = ReadResult::Busy;
            }
        }
        CloseHandle(file);
        return result;
    }

    std::unique_ptr<ReplacementFile> BeginReplace(const std::u16string& path) override {
        std::u16string temporary = TemporaryPathFor(path);
        // A file a crash left behind, marked read-only or hidden, refuses to be overwritten;
        // and where it is overwritten all the same (Wine run as root) it would keep its
        // read-only mark and pass it on to the settings file.
        SetFileAttributesW(Wide(temporary), FILE_ATTRIBUTE_NORMAL);
        HANDLE file = CreateTemporary(temporary);
        if (file == INVALID_HANDLE_VALUE) {
            // One we cannot take over at all (held open, no rights): a name of this process's own.
            temporary = path + u"." + IntegerText(GetCurrentProcessId()) + u".tmp";
            file = CreateTemporary(temporary);
        }
        if (file == INVALID_HANDLE_VALUE) return nullptr;
        return std::make_unique<Win32ReplacementFile>(file, path, std::move(temporary));
    }

    bool Copy(const std::u16string& from, const std::u16string& to) override {
        // An older copy marked read-only (as the file it came from may be) would refuse.
        SetFileAttributesW(Wide(to), FILE_ATTRIBUTE_NORMAL);
        return CopyFileW(Wide(from), Wide(to), FALSE) != 0;
    }

  private:
    static HANDLE CreateTemporary(const std::u16string& temporary) {
        return CreateFileW(Wide(temporary), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
};

}  // namespace

FileOps& NativeFileOps() {
    static Win32FileOps ops;
    return ops;
}

}  // namespace quillet
