// The settings file held in memory, so a load or a save costs only its text and
// record work. Shared by the benchmarks and the fuzz target.
#pragma once

#include <memory>
#include <string>

#include "prefs/file_ops.h"

namespace quillet::testing {

class MemoryFileOps final : public FileOps {
  public:
    int64_t SizeOf(const std::u16string&) override { return static_cast<int64_t>(bytes.size()); }
    ReadResult TryReadAll(const std::u16string&, size_t limit, std::string& out) override {
        if (bytes.size() > limit) return ReadResult::Failed;
        out = bytes;
        return ReadResult::Done;
    }
    std::unique_ptr<ReplacementFile> BeginReplace(const std::u16string&) override {
        return std::make_unique<Replacement>(bytes);
    }
    bool Copy(const std::u16string&, const std::u16string&) override { return true; }

    std::string bytes;

  private:
    class Replacement final : public ReplacementFile {
      public:
        explicit Replacement(std::string& target) : target_(target) {}
        bool Write(const char* data, size_t size) override {
            written_.append(data, size);
            return true;
        }
        bool Commit() override {
            target_.swap(written_);
            return true;
        }

      private:
        std::string& target_;
        std::string written_;
    };
};

}  // namespace quillet::testing
