#pragma once
// A fresh folder in the test output folder for the files one test writes.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace Dotfield::testing {

inline std::filesystem::path freshScanTestFolder() {
    const char* output = std::getenv("DOTFIELD_TEST_OUTPUT");
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const auto folder = std::filesystem::path(output ? output : std::filesystem::temp_directory_path().string()) /
                        "ImpedanceScan" / (std::string(info->test_suite_name()) + "." + info->name());
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
