#pragma once

#include <filesystem>
#include <string>

namespace vorn::test {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes away. Each test owns its own, so tests can run in parallel.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as text, ending in "/", the way program folders are written.
    std::string dir() const { return path_.string() + "/"; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Whole-file helpers for fixtures: bytes in, bytes out, nothing converted.
void writeFile(const std::filesystem::path& file, const std::string& bytes);
std::string readFile(const std::filesystem::path& file);

} // namespace vorn::test
