// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh folder under the system's temporary folder, removed with everything in it at the end.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace zt::test {

class TempDir {
  public:
    TempDir() {
        std::mt19937_64 rng{std::random_device{}()};
        path_ = std::filesystem::temp_directory_path() / ("zt-test-" + std::to_string(rng()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path(const std::string& name = {}) const {
        return name.empty() ? path_.string() : (path_ / name).string();
    }

    std::string write(const std::string& name, const std::string& content) const {
        const auto p = path_ / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << content;
        return p.string();
    }
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        return write(name, std::string(bytes.begin(), bytes.end()));
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

  private:
    std::filesystem::path path_;
};

} // namespace zt::test
