#pragma once

#include <QFile>
#include <QString>
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

// A path as the QString the program's functions take (file names in the local 8-bit encoding).
inline QString q(const std::filesystem::path& path) {
    return QFile::decodeName(path.c_str());
}

} // namespace vorn::test
