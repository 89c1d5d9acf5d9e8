// Native file operations for the settings file (Linux build and tests).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "prefs/file_ops.h"
#include "runtime/text.h"

namespace quillet {

namespace {

bool WriteFully(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        data += done;
        size -= static_cast<size_t>(done);
    }
    return true;
}

class PosixReplacementFile final : public ReplacementFile {
  public:
    PosixReplacementFile(int fd, std::string target, std::string temporary)
        : fd_(fd), target_(std::move(target)), temporary_(std::move(temporary)) {}

    ~PosixReplacementFile() override { Discard(); }

    bool Write(const char* data, size_t size) override {
        return fd_ >= 0 && WriteFully(fd_, data, size);
    }

    bool Commit() override {
        if (fd_ < 0) return false;
        const bool synced = ::fsync(fd_) == 0;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        if (!synced || !closed || std::rename(temporary_.c_str(), target_.c_str()) != 0) {
            ::unlink(temporary_.c_str());
            return false;
        }
        temporary_.clear();
        return true;
    }

  private:
    void Discard() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        if (!temporary_.empty()) ::unlink(temporary_.c_str());
        temporary_.clear();
    }

    int fd_;
    std::string target_;
    std::string temporary_;
};

class PosixFileOps final : public FileOps {
  public:
    int64_t SizeOf(const std::u16string& path) override {
        struct stat info;
        if (::stat(Utf16ToUtf8(path).c_str(), &info) != 0) return -1;
        if (S_ISDIR(info.st_mode)) return -2;
        return static_cast<int64_t>(info.st_size);
    }

    ReadResult TryReadAll(const std::u16string& path, size_t limit, std::string& bytes) override {
        const int fd = ::open(Utf16ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return ReadResult::Failed;
        struct stat info;
        bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                  static_cast<uint64_t>(info.st_size) <= limit;
        if (ok) {
            bytes.assign(static_cast<size_t>(info.st_size), '\0');
            size_t got = 0;
            while (got < bytes.size()) {
                const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                got += static_cast<size_t>(n);
            }
            ok = got == bytes.size();
        }
        ::close(fd);
        return ok ? ReadResult::Done : ReadResult::Failed;
    }

    std::unique_ptr<ReplacementFile> BeginReplace(const std::u16string& path) override {
        std::string target = Utf16ToUtf8(path);
        std::string temporary = Utf16ToUtf8(TemporaryPathFor(path));
        ::unlink(temporary.c_str());  // a stale one may be read-only
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return nullptr;
        return std::make_unique<PosixReplacementFile>(fd, std::move(target), std::move(temporary));
    }

    bool Copy(const std::u16string& from, const std::u16string& to) override {
        std::error_code error;
        return std::filesystem::copy_file(std::filesystem::path(from), std::filesystem::path(to),
                                          std::filesystem::copy_options::overwrite_existing, error);
    }
};

}  // namespace

FileOps& NativeFileOps() {
    static PosixFileOps ops;
    return ops;
}

}  // namespace quillet
