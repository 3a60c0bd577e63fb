#pragma once
// Files written by tests: a fresh folder of the test's own in the test output
// folder, and whole-file text in and out.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace Dotfield::testing {

// <test output>/<suite>/<test suite name>.<test name>, emptied.
inline std::filesystem::path freshTestFolder(const std::string& suite) {
    const char* output = std::getenv("DOTFIELD_TEST_OUTPUT");
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name) {
        if (c == '/') {
            c = '_';
        }
    }
    const auto folder =
        std::filesystem::path(output ? output : std::filesystem::temp_directory_path().string()) / suite /
        name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

inline std::string fileText(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

inline void writeText(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

} // namespace Dotfield::testing
