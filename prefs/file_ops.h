// The few file operations the settings file needs, behind one small interface
// so the portable code stays free of platform headers and tests can fail writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace quillet {

// A new file being written beside the one it will replace. Until Commit
// succeeds the target is untouched; an uncommitted file is removed when dropped.
class ReplacementFile {
  public:
    virtual ~ReplacementFile() = default;
    virtual bool Write(const char* data, size_t size) = 0;
    // Flushes, closes and puts the new file in the target's place in one step.
    // On failure the target is as it was and the temporary file is gone.
    virtual bool Commit() = 0;
};

enum class ReadResult {
    Done,
    Busy,  // another program has the file open and lets nobody read it; worth asking again
    Failed,
};

class FileOps {
  public:
    virtual ~FileOps() = default;
    // Size in bytes, -1 when nothing exists at the path, -2 for a folder.
    virtual int64_t SizeOf(const std::u16string& path) = 0;
    // The whole file, when it holds at most `limit` bytes. Other programs may
    // go on reading, writing and deleting it meanwhile.
    virtual ReadResult TryReadAll(const std::u16string& path, size_t limit, std::string& bytes) = 0;
    // Nothing when the temporary file cannot be created.
    virtual std::unique_ptr<ReplacementFile> BeginReplace(const std::u16string& path) = 0;
    // Copies the file at `from` over whatever file is at `to`; false when it could not.
    virtual bool Copy(const std::u16string& from, const std::u16string& to) = 0;
    // The wait between two tries of a busy file; fakes count instead of sleeping.
    virtual void Pause(int milliseconds);

    // TryReadAll, asked again for up to a second while the file is busy: a
    // backup or sync tool holding it at start must not make us run on defaults.
    // False when the file cannot be read, is busy for longer, or is too large.
    bool ReadAll(const std::u16string& path, std::string& bytes, size_t limit = SIZE_MAX);
};

inline constexpr int kBusyFileWaitMs = 1000;
inline constexpr int kBusyFileRetryMs = 50;

FileOps& NativeFileOps();

// The temporary file sits in the target's folder so the final rename stays on one volume.
inline std::u16string TemporaryPathFor(const std::u16string& path) { return path + u".tmp"; }

}  // namespace quillet
