// The built program `dotfield`, run as the operator would run it (offscreen).

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QColor>
#include <QImage>
#include <QPoint>

#include <gtest/gtest.h>

#include "Dotfield/tests/Support/Eventually.hpp"

namespace {

namespace fs = std::filesystem;

struct ProgramRun {
    int status;
    std::string output;
};

// One folder per test: ctest runs the tests of this file side by side.
fs::path testHome() {
    const fs::path home = fs::path(DOTFIELD_SCREENSHOT_DIR).parent_path() / "test-output" / "program-home" /
                          testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::create_directories(home);
    return home;
}

ProgramRun runProgram(const std::string& environment, const std::string& arguments) {
    const fs::path home = testHome();
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

namespace {

// The mean colour of the square of the given side around a point.
QColor meanAround(const QImage& image, QPoint centre, int side) {
    long long red = 0;
    long long green = 0;
    long long blue = 0;
    int count = 0;
    for (int y = centre.y() - side / 2; y < centre.y() + side / 2; ++y) {
        for (int x = centre.x() - side / 2; x < centre.x() + side / 2; ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red();
            green += c.green();
            blue += c.blue();
            ++count;
        }
    }
    return QColor(int(red / count), int(green / count), int(blue / count));
}

} // namespace

TEST(ProgramTests, OnTheSimulatedInstrumentItShowsItsMainWindowAndEndsWell) {
    const std::string shot = std::string(DOTFIELD_SCREENSHOT_DIR) + "/dotfield-program.png";
    const std::string cameraShot =
        std::string(DOTFIELD_SCREENSHOT_DIR) + "/dotfield-program-CameraWindowController.png";
    fs::create_directories(DOTFIELD_SCREENSHOT_DIR);
    fs::remove(shot);
    fs::remove(cameraShot);
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

    // The camera window films the substrate around the tip (a spot the
    // dispenser may have left lies at the centre): an even, lit, slightly
    // yellowish grey.
    QImage camera(QString::fromStdString(cameraShot));
    ASSERT_FALSE(camera.isNull()) << "the camera window is shown";
    const QPoint centre(camera.width() / 2, camera.height() / 2 + 20);
    const QColor first = meanAround(camera, centre + QPoint(-150, -100), 40);
    EXPECT_GT(first.green(), 60) << "lit";
    EXPECT_NEAR(first.red(), first.green(), 12);
    EXPECT_LT(first.blue(), first.green()) << "the substrate's tint";
    for (const QPoint offset : {QPoint(150, -100), QPoint(-150, 100), QPoint(150, 100)}) {
        const QColor elsewhere = meanAround(camera, centre + offset, 40);
        EXPECT_NEAR(elsewhere.green(), first.green(), 15) << "an even surface";
    }
}

TEST(ProgramTests, ANamedSimulatedModelIsTheRobotTheProgramMakes) {
    const std::string shot = std::string(DOTFIELD_SCREENSHOT_DIR) + "/dotfield-program-proto.png";
    fs::remove(shot);
    // With diagnostics on, the console names the model the settings chose.
    const ProgramRun run =
        runProgram("DOTFIELD_DIAGNOSTICS=1 DOTFIELD_SCREENSHOT_AND_QUIT=" + shot, "--simulated-instrument=Proto");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Dropwright Proto"), std::string::npos) << run.output;
    EXPECT_FALSE(QImage(QString::fromStdString(shot)).isNull());
}

TEST(ProgramTests, CommandLinesThatStopAtOnce) {
    const std::tuple<std::string, int, std::string> cases[] = {
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

namespace {

// Whether the process has a handler of its own for the signal.
bool catchesSignal(pid_t pid, int signal) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("SigCgt:")) {
            const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
            return ((mask >> (signal - 1)) & 1ULL) != 0;
        }
    }
    return false;
}

// The program started in the test's own folder, its output going to a file.
class SpawnedProgram {
  public:
    // `extraEnvironment` entries ("NAME=value") join the program's environment.
    explicit SpawnedProgram(const std::vector<std::string>& arguments,
                            const std::vector<std::string>& extraEnvironment = {})
        : output_(testHome() / "output.txt") {
        const fs::path home = output_.parent_path();
        std::vector<std::string> environment{"XDG_CONFIG_HOME=" + (home / "config").string(),
                                             "XDG_DATA_HOME=" + (home / "data").string(),
                                             "QT_QPA_PLATFORM=offscreen",
                                             std::string("LSAN_OPTIONS=suppressions=") + DOTFIELD_LEAK_SUPPRESSIONS};
        environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
        if (const char* path = std::getenv("PATH")) {
            environment.push_back(std::string("PATH=") + path);
        }
        std::vector<char*> envp;
        for (auto& entry : environment) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        std::string program = DOTFIELD_PROGRAM;
        std::vector<std::string> words{program};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (auto& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, output_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&files, 1, 2);
        spawned_ = posix_spawn(&pid_, program.c_str(), &files, nullptr, argv.data(), envp.data()) == 0;
        posix_spawn_file_actions_destroy(&files);
    }
    // A run still going is killed.
    ~SpawnedProgram() {
        if (spawned_ && !ended_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status_, 0);
        }
    }
    SpawnedProgram(const SpawnedProgram&) = delete;
    SpawnedProgram& operator=(const SpawnedProgram&) = delete;

    bool spawned() const { return spawned_; }
    pid_t pid() const { return pid_; }

    // Waits (at most the limit) until the condition holds; false if it never did.
    // It looks every 20 ms: a look may read the program's whole output file.
    static bool waitFor(std::chrono::milliseconds limit, const std::function<bool()>& condition) {
        return Dotfield::Testing::eventually(condition, [] { usleep(20000); }, limit);
    }
    // Waits (at most the limit) for the program to end.
    bool waitForEnd(std::chrono::milliseconds limit) {
        return waitFor(limit, [this] { return ended_ = waitpid(pid_, &status_, WNOHANG) == pid_; });
    }
    bool exitedWithZero() const { return ended_ && WIFEXITED(status_) && WEXITSTATUS(status_) == 0; }
    std::string output() const {
        std::ifstream file(output_);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

  private:
    fs::path output_;
    pid_t pid_ = 0;
    bool spawned_ = false;
    bool ended_ = false;
    int status_ = 0;
};

} // namespace

TEST(ProgramTests, TerminationSignalsEndTheRunInOrderWithStatusZero) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        // With diagnostics on, the console names the positioner's model once
        // the launch has made it: the sign that the launch reached the devices.
        SpawnedProgram program({"--simulated-instrument"}, {"DOTFIELD_DIAGNOSTICS=1"});
        ASSERT_TRUE(program.spawned());
        const bool reached = SpawnedProgram::waitFor(Dotfield::Testing::eventuallyLimit, [&] {
            return catchesSignal(program.pid(), signal) && program.output().find("Dropwright") != std::string::npos;
        });
        EXPECT_TRUE(reached) << "signal " << signal << ": the launch reaches the devices";
        ASSERT_EQ(kill(program.pid(), signal), 0);
        // Generous: on a loaded machine the launch under way (the camera
        // streaming among it) has to finish before the shutdown.
        EXPECT_TRUE(program.waitForEnd(std::chrono::seconds(30))) << "signal " << signal << ": the program ends within 30 s";
        EXPECT_TRUE(program.exitedWithZero()) << "signal " << signal << "\n" << program.output();
    }
}

// Without an instrument the launch waits on the connection alert, which is
// modal: a termination signal still ends the run in order.
constexpr const char* alertOpenLine = "Dotfield: Alert: ";

TEST(ProgramTests, ATerminationSignalEndsTheRunWhileAnAlertIsOpen) {
    SpawnedProgram program({});
    ASSERT_TRUE(program.spawned());
    ASSERT_TRUE(SpawnedProgram::waitFor(Dotfield::Testing::eventuallyLimit, [&] {
        return program.output().find(alertOpenLine) != std::string::npos;
    })) << program.output();
    const auto signalled = std::chrono::steady_clock::now();
    ASSERT_EQ(kill(program.pid(), SIGTERM), 0);
    // It ends in about a second; the bound leaves room for a machine loaded
    // with sanitized tests, and still catches a run the alert keeps alive.
    EXPECT_TRUE(program.waitForEnd(std::chrono::seconds(20))) << "the program ends within 20 s";
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled).count();
    std::cout << "ended " << seconds << " s after the signal\n";
    EXPECT_TRUE(program.exitedWithZero()) << program.output();
}
