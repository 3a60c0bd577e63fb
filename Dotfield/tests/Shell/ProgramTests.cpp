// The built program `dotfield`, run as the operator would run it (offscreen).

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <QImage>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

struct ProgramRun {
    int status;
    std::string output;
};

ProgramRun runProgram(const std::string& environment, const std::string& arguments) {
    // One folder per test: ctest runs the tests of this file side by side.
    const fs::path home = fs::path(DOTFIELD_SCREENSHOT_DIR).parent_path() / "test-output" / "program-home" /
                          testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::create_directories(home);
    const fs::path output = home / "output.txt";
    const std::string command = "env XDG_CONFIG_HOME=" + (home / "config").string() +
                                " XDG_DATA_HOME=" + (home / "data").string() + " QT_QPA_PLATFORM=offscreen LSAN_OPTIONS=suppressions=" + DOTFIELD_LEAK_SUPPRESSIONS + " " +
                                environment + " " + DOTFIELD_PROGRAM + " " + arguments + " > " + output.string() +
                                " 2>&1";
    const int status = std::system(command.c_str());
    std::ifstream file(output);
    std::stringstream text;
    text << file.rdbuf();
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text.str()};
}

} // namespace

TEST(ProgramTests, OnTheSimulatedInstrumentItShowsItsMainWindowAndEndsWell) {
    const std::string shot = std::string(DOTFIELD_SCREENSHOT_DIR) + "/dotfield-program.png";
    fs::remove(shot);
    const ProgramRun run = runProgram("DOTFIELD_SCREENSHOT_AND_QUIT=" + shot, "--simulated-instrument");
    EXPECT_EQ(run.status, 0) << run.output;
    QImage image(QString::fromStdString(shot));
    ASSERT_FALSE(image.isNull());
    bool simulatedField = false;
    for (int y = image.height() - 40; y < image.height() && !simulatedField; ++y) {
        for (int x = 0; x < image.width() && !simulatedField; ++x) {
            simulatedField = image.pixelColor(x, y) == QColor("#f2c14e");
        }
    }
    EXPECT_TRUE(simulatedField) << "the status bar names the simulated instrument";
}

TEST(ProgramTests, CommandLinesThatStopAtOnce) {
    const std::tuple<std::string, int, std::string> cases[] = {
        {"--simulated-instrument=Proto", 2, "dotfield: the simulated DropwrightProto is not built yet (available: "},
        {"--bogus", 2, "dotfield: unknown option '--bogus'"},
        {"--version", 0, "dotfield "},
        {"--help", 0, "Usage: dotfield [options] [file...]"},
    };
    for (const auto& [arguments, status, output] : cases) {
        const ProgramRun run = runProgram("", arguments);
        EXPECT_EQ(run.status, status) << arguments;
        EXPECT_NE(run.output.find(output), std::string::npos) << run.output;
    }
}
