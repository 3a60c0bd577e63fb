#pragma once
// The automated motion test's window: after the operator confirms a warning,
// the positioner runs the corner-and-plunge tour (StageMovementTest.hpp) on
// the robot's queue until the operator cancels it or a move fails. The window
// shows how many whole cycles have run.
//
// Ending: Cancel (or closing the window, or the shell's shutdown) asks the
// test to stop after the move under way; a test that ended so closes the
// window. A failed move hands its error to the error handler and the window
// stays open; the test can be confirmed again. A robot whose travel does not
// hold the test's positions is refused with an alert before anything moves.
//
// Threads: main thread; the test runs on the robot's queue.

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

#include <QWidget>

class QLabel;
class QPushButton;

namespace Dotfield {

class Robot;

class AutomatedTestingWindowController final : public QWidget {
    Q_OBJECT

  public:
    using ErrorHandler = std::function<void(std::exception_ptr)>;

    static constexpr const char* windowNibName = "AutomatedTestingWindowController";

    explicit AutomatedTestingWindowController(QWidget* parent = nullptr);
    // Asks a running test to stop.
    ~AutomatedTestingWindowController() override;

    void setRobot(std::shared_ptr<Robot> robot) { robot_ = std::move(robot); }
    void setErrorHandler(ErrorHandler handler) { errorHandler_ = std::move(handler); }

    bool shouldCancelPerformanceTestingLoop() const { return state_->cancel.load(); }
    bool isTestRunning() const { return state_->running.load(); }
    std::uint64_t completedCycles() const { return state_->cycles.load(); }

    // The confirmation: OK runs the test, Cancel closes the window.
    void startPerformanceTestingLoop();
    // Asks the running test to stop after the move under way.
    void cancelPerformanceTestingLoop();
    // Clears the cancel flag and queues the test on the robot (ignored without
    // a robot or while a test runs).
    void runPerformanceTest();
    void closeWindow();

    QPushButton* startButton() const { return startButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    QLabel* cycleLabel() const { return cycleLabel_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // What the test on the robot's queue shares with the window, which may go first.
    struct TestState {
        std::atomic<bool> cancel{false};
        std::atomic<bool> running{false};
        std::atomic<std::uint64_t> cycles{0};
    };

    void buildControls();
    void updateControls();
    // On the main thread, once the test has ended.
    void testEnded(std::exception_ptr error);

    const std::shared_ptr<TestState> state_ = std::make_shared<TestState>();
    std::shared_ptr<Robot> robot_;
    ErrorHandler errorHandler_;

    QLabel* cycleLabel_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

} // namespace Dotfield
