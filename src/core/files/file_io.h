// Whole-file reading with a size limit, and writing that never leaves a half-written file: the
// new content goes to a temporary file in the same folder, which is then renamed over the old one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zt {

// The file's bytes, at most `limit` of them; nullopt when the file cannot be opened or read.
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path,
                                                       std::size_t limit = 16u * 1024 * 1024);
// The size of a regular file; nullopt when it is missing or not a regular file.
std::optional<std::uintmax_t> RegularFileSize(const std::string& path);

// A temporary file beside `target` holding `data`; commit() renames it into place, and the
// destructor removes it when it was never committed.
class StagedFile {
  public:
    explicit StagedFile(std::string target);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Writes the temporary file; false when it cannot be created or written completely.
    bool write(std::span<const std::uint8_t> data);
    // Renames the written temporary file over the target.
    bool commit();
    // A fresh hidden name beside `target` ("." + name + "." + number + "." + suffix).
    static std::string SideName(const std::string& target, const char* suffix);

  private:
    std::string target_;
    std::string temp_;
    bool written_ = false;
};

// Writes `data` to `path` through a staged temporary file.
bool WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> data);

} // namespace zt
