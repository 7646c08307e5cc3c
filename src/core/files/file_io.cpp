#include "files/file_io.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

namespace zt {

namespace fs = std::filesystem;

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path, std::size_t limit) {
    std::error_code ec;
    if (!fs::is_regular_file(fs::path(path), ec))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> data;
    char buf[8192];
    while (data.size() < limit) {
        const auto want =
            static_cast<std::streamsize>(std::min<std::size_t>(sizeof buf, limit - data.size()));
        in.read(buf, want);
        const auto got = in.gcount();
        data.insert(data.end(), buf, buf + got);
        if (got < want)
            break;
    }
    if (in.bad())
        return std::nullopt;
    return data;
}

std::optional<std::uintmax_t> RegularFileSize(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(fs::path(path), ec))
        return std::nullopt;
    const auto n = fs::file_size(fs::path(path), ec);
    if (ec)
        return std::nullopt;
    return n;
}

std::string StagedFile::SideName(const std::string& target, const char* suffix) {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    const fs::path t(target);
    return (t.parent_path() /
            ("." + t.filename().string() + "." + std::to_string(rng() % 1000000000) + "." + suffix))
        .string();
}

StagedFile::StagedFile(std::string target) : target_(std::move(target)), temp_(SideName(target_, "tmp")) {}

StagedFile::~StagedFile() {
    if (written_) {
        std::error_code ec;
        fs::remove(fs::path(temp_), ec);
    }
}

bool StagedFile::write(std::span<const std::uint8_t> data) {
    std::ofstream out(temp_, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    written_ = true; // from here on the destructor cleans up
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out)
        return false;
    return true;
}

bool StagedFile::commit() {
    if (!written_)
        return false;
    std::error_code ec;
    fs::rename(fs::path(temp_), fs::path(target_), ec);
    if (ec)
        return false;
    written_ = false;
    return true;
}

bool WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> data) {
    StagedFile f(path);
    return f.write(data) && f.commit();
}

} // namespace zt
