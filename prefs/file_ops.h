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

class FileOps {
  public:
    virtual ~FileOps() = default;
    // Size in bytes, -1 when nothing exists at the path, -2 for a folder.
    virtual int64_t SizeOf(const std::u16string& path) = 0;
    // The whole file; false when it cannot be opened or fully read.
    virtual bool ReadAll(const std::u16string& path, std::string& bytes) = 0;
    // Nothing when the temporary file cannot be created.
    virtual std::unique_ptr<ReplacementFile> BeginReplace(const std::u16string& path) = 0;
};

FileOps& NativeFileOps();

// The temporary file sits in the target's folder so the final rename stays on one volume.
inline std::u16string TemporaryPathFor(const std::u16string& path) { return path + u".tmp"; }

}  // namespace quillet
