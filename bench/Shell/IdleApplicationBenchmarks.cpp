// What the program costs the computer while nobody uses it: `dotfield
// --simulated-instrument` started as an operator starts it (offscreen, its
// own scratch home), left alone for a while to come up, then measured: the
// processor time of all its threads per second of wall time, in percent of
// one core, read from /proc. Over the same seconds this process runs one
// thread that does nothing but wake every millisecond, the least the
// instrument's links can cost (each adapter's 1 ms latency timer wakes the
// driver's event thread), and reports what that costs as the floor; the
// difference is what the program adds above its links. The busiest threads
// of the program are reported too.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/Links/ProcessorTime.hpp"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr auto comingUp = std::chrono::seconds(5);
constexpr auto measuredStretch = std::chrono::seconds(20);

// Processor time of one /proc stat file (utime + stime), seconds, and the
// thread's name.
struct StatLine {
    std::string name;
    double seconds = 0.0;
};

StatLine readStat(const fs::path& file) {
    std::ifstream in(file);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto open = text.find('(');
    const auto close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) {
        return {};
    }
    std::istringstream rest(text.substr(close + 2));
    std::string field;
    // After the name: state (3), ..., utime (14), stime (15).
    double utime = 0, stime = 0;
    for (int index = 3; index <= 15 && rest >> field; ++index) {
        if (index == 14) {
            utime = std::strtod(field.c_str(), nullptr);
        } else if (index == 15) {
            stime = std::strtod(field.c_str(), nullptr);
        }
    }
    static const double ticks = static_cast<double>(::sysconf(_SC_CLK_TCK));
    return {text.substr(open + 1, close - open - 1), (utime + stime) / ticks};
}

// Processor seconds per thread name of the process.
std::map<std::string, double> threadSeconds(pid_t pid) {
    std::map<std::string, double> seconds;
    std::error_code error;
    for (const auto& task : fs::directory_iterator(fs::path("/proc") / std::to_string(pid) / "task", error)) {
        const StatLine line = readStat(task.path() / "stat");
        seconds[line.name] += line.seconds;
    }
    return seconds;
}

class RunningProgram {
  public:
    explicit RunningProgram(const fs::path& home) {
        std::vector<std::string> environment{"QT_QPA_PLATFORM=offscreen", "HOME=" + home.string(),
                                             "XDG_CONFIG_HOME=" + (home / ".config").string(),
                                             "XDG_DATA_HOME=" + (home / ".local/share").string(),
                                             "XDG_RUNTIME_DIR=" + home.string()};
        for (char** variable = environ; *variable != nullptr; ++variable) {
            const std::string entry(*variable);
            if (entry.rfind("PATH=", 0) == 0 || entry.rfind("LD_LIBRARY_PATH=", 0) == 0) {
                environment.push_back(entry);
            }
        }
        std::vector<char*> envp;
        for (auto& entry : environment) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        std::string program = DOTFIELD_PROGRAM;
        std::string option = "--simulated-instrument";
        char* argv[] = {program.data(), option.data(), nullptr};
        if (::posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
            pid_ = -1;
        }
    }
    ~RunningProgram() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    pid_t pid() const { return pid_; }
    bool running() const {
        int status = 0;
        return pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == 0;
    }

  private:
    pid_t pid_ = -1;
};

double total(const std::map<std::string, double>& seconds) {
    double sum = 0;
    for (const auto& [name, value] : seconds) {
        sum += value;
    }
    return sum;
}

void BM_IdleApplicationBesideMillisecondWaker(benchmark::State& state) {
    const fs::path home = fs::temp_directory_path() / ("dotfield-idle-bench-" + std::to_string(::getpid()));
    fs::create_directories(home);
    double applicationSeconds = 0, wall = 0;
    std::map<std::string, double> perThread;
    LinkBenchmarks::ProcessCost floor;
    for (auto _ : state) {
        RunningProgram program(home);
        std::this_thread::sleep_for(comingUp);
        if (!program.running()) {
            state.SkipWithError("the program did not keep running");
            break;
        }
        const auto before = threadSeconds(program.pid());
        const auto started = std::chrono::steady_clock::now();
        {
            LinkBenchmarks::MillisecondWaker waker;
            floor.measure([] { std::this_thread::sleep_for(measuredStretch); });
        }
        const auto after = threadSeconds(program.pid());
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        applicationSeconds += total(after) - total(before);
        for (const auto& [name, seconds] : after) {
            const auto earlier = before.find(name);
            perThread[name] += seconds - (earlier == before.end() ? 0.0 : earlier->second);
        }
    }
    fs::remove_all(home);
    if (wall <= 0) {
        return;
    }
    const double application = 100.0 * applicationSeconds / wall;
    state.counters["applicationCpuPercentOfOneCore"] = application;
    state.counters["millisecondWakerCpuPercentOfOneCore"] = floor.percentOfOneCore();
    state.counters["applicationAboveWakerPercentOfOneCore"] = application - floor.percentOfOneCore();
    // The threads that cost at least 0.2 % of a core, by name.
    for (const auto& [name, seconds] : perThread) {
        if (100.0 * seconds / wall >= 0.2) {
            state.counters["thread " + name] = 100.0 * seconds / wall;
        }
    }
}
BENCHMARK(BM_IdleApplicationBesideMillisecondWaker)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace
