// A fresh folder under $TMPDIR for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace r4860::testing {

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        do m_path = std::filesystem::temp_directory_path() / ("r4860-test-" + std::to_string(rd()));
        while (!std::filesystem::create_directory(m_path));
    }
    ~TempDir() { std::error_code ec; std::filesystem::remove_all(m_path, ec); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }
    [[nodiscard]] std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

}  // namespace r4860::testing
