// From the start of the launch to the main window showing every device's
// state, on the simulated DropwrightIIb instrument (real time, as the
// program runs it). It should stay well under a second.

#include <chrono>
#include <filesystem>

#include <QApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Application/SimulatedInstrument/SimulatedInstrumentSession.hpp"
#include "Dotfield/Application/UI/Shell/MainWindow.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Platform/Qt/QtMainThreadBinding.hpp"

namespace {

using namespace Dotfield;

void BM_LaunchToMainWindowShown(benchmark::State& state) {
    int argc = 1;
    char name[] = "shell_benchmarks";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    const auto previous = MainQueue::main().bind(std::make_shared<QtMainThreadBinding>());
    for (auto _ : state) {
        SimulatedInstrumentSession instrument("IIb");
        const auto started = std::chrono::steady_clock::now();
        AppDelegateEnvironment environment;
        environment.userDefaults = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
        auto delegate = AppDelegate::create(std::move(environment));
        {
            MainWindow window(true);
            delegate->setDeviceStatusObserver([&window](ShellDevice device, const std::string& text) {
                window.showDeviceStatus(device, QString::fromStdString(text));
            });
            window.show();
            delegate->applicationDidFinishLaunching();
            QElapsedTimer limit;
            limit.start();
            while (!window.everyDeviceReported() && limit.elapsed() < 10000) {
                QApplication::processEvents(QEventLoop::AllEvents, 5);
            }
            const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
            state.SetIterationTime(elapsed.count());
            if (!window.everyDeviceReported()) {
                state.SkipWithError("a device never reported");
            }
            delegate->shutDown();
        }
        delegate.reset();
    }
    MainQueue::main().bind(previous);
}
BENCHMARK(BM_LaunchToMainWindowShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
