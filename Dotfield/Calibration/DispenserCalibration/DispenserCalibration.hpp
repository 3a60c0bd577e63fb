#pragma once
// Calibrating the dispenser, without the window: a run scans the dispenser's
// impedance from 200 to 600 kHz, finds its resonances, takes the frequency of
// the chosen one as the dispensing and spraying frequency, samples the
// impedance statistics at five surface-sensing points and stores them (in the
// electronics and the settings store) with the scan (in "dispenserstatus.scn").
// A sampling-only run samples the points of the stored statistics again.
//
// The previous calibration stays in force until a run has stored a new one: a
// run that is stopped or fails leaves the previous statistics and scan file
// alone, shows the previous scan again, switches the generator off
// (best-effort) and then waits for the operator: the status poll's repeated
// reconnection calls start nothing until the dispenser has been disconnected
// or the operator presses the button. Runs that cannot be carried out (no
// electronics link, no statistics to resample, a scan without measurements)
// are refused with an error to the error handler. Every end of a run clears
// calibrationInProgress, hides the overlay and restores the button.
//
// Threads: runs execute on the electronics' serial queue (a synchronous run on
// the calling thread while it holds that queue); everything that touches the
// plot values or the display runs on the main thread, reached from the queue
// only asynchronously, so a synchronous caller never waits for the main thread.
// The public operations without a note are for the main thread; those that
// touch the display hop there by themselves when called elsewhere.

#include <atomic>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Dotfield/Calibration/DispenserCalibration/DispenserCalibrationDisplay.hpp"
#include "Dotfield/Instrument/DispenserStatus/StatisticalImpedanceMeasurement.hpp"
#include "Dotfield/Instrument/Electronics/Impedance.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

class Electronics;
class UserDefaults;

struct DispenserCalibrationEnvironment {
    std::shared_ptr<UserDefaults> userDefaults;
    // The scan points of the original electronics; the compiled-in table
    // unless a test gives another.
    std::optional<std::vector<ImpedanceCalibrationValue>> delayCalibrationTable;
    // Where the scan is saved and read back; by default "dispenserstatus.scn"
    // in the application's folder. May throw when the folder cannot be had.
    std::function<std::filesystem::path()> scanFile;
};

class DispenserCalibration : public std::enable_shared_from_this<DispenserCalibration> {
  public:
    using ErrorHandler = std::function<void(std::exception_ptr)>;

    // One point of the scan plot: a frequency and its impedance magnitude.
    struct PlotValue {
        Zovudidova::Frequency frequency;
        double magnitude = 0.0;
    };

    static std::shared_ptr<DispenserCalibration> create(DispenserCalibrationEnvironment environment);
    ~DispenserCalibration();
    DispenserCalibration(const DispenserCalibration&) = delete;
    DispenserCalibration& operator=(const DispenserCalibration&) = delete;

    // ---- Collaborators (any thread; set before the first run) -----------------

    void setElectronics(std::shared_ptr<Electronics> electronics);
    std::shared_ptr<Electronics> electronics() const;
    // Receives every failure of a run, on the thread of the run.
    void setErrorHandler(ErrorHandler errorHandler);
    // The window side; main thread. Null detaches it.
    void setDisplay(DispenserCalibrationDisplay* display);

    const std::vector<ImpedanceCalibrationValue>& delayCalibrationTable() const { return delayCalibrationTable_; }

    // ---- State ----------------------------------------------------------------------

    // Any thread. Also the scan's go-on signal.
    bool calibrationInProgress() const { return calibrationInProgress_.load(); }
    bool shouldCloseWhenDoneWithCalibration() const { return shouldCloseWhenDoneWithCalibration_; }
    // The scan points shown, in scan order (main thread).
    const std::vector<PlotValue>& plotValues() const { return plotValues_; }
    // The electronics' statistics (none without electronics); any thread.
    std::optional<DispenserStatistics> dispenserStatistics() const;
    // The window's status line (main thread).
    std::string statusText() const;

    // ---- Operations -----------------------------------------------------------------

    // The window's button: stops a run under way, otherwise starts a full run.
    void calibrate();
    // The status poll found a connected dispenser without statistics: show the
    // window and the connected panel, calibrate, and close the window after a
    // successful run. Nothing while a run is under way, nor after a stopped or
    // failed run until the dispenser is disconnected or the button is pressed.
    void dispenserReconnected();
    // The status poll lost a calibrated dispenser: the calibration is cleared
    // (scan file, plot, statistics and their four settings keys) and the
    // disconnected panel shown.
    void dispenserDisconnected();
    // Shows the saved scan and takes the saved statistics, when both exist.
    void loadPreviousCalibration();
    // Removes the scan file, empties the plot and clears the statistics.
    void clearCurrentCalibration();
    // A scan point: appended to the plot on the main thread (queued from
    // elsewhere); answers whether the scan goes on. Any thread.
    bool newImpedanceValue(const Zovudidova::Frequency& frequency, double magnitude);
    // Any thread.
    void updateStatisticSamplingProgress(double progress);
    // Redraws the graph and clears calibrationInProgress (which stops a scan
    // at its next point). Any thread.
    void endCalibration();
    // Starts a run. Synchronously (from a thread other than the main thread,
    // which is never blocked for a run) it returns once the run has ended,
    // with its statistics stored when it succeeded; otherwise at once.
    void runCalibration(bool synchronously, bool onlyRunStatisticalSampling);
    // The recalibration before surface finding (full) or while printing
    // (sampling only): the window with the recalibrating panel, a synchronous
    // run, the window closed again. Called off the main thread.
    void recalibrate(bool onlyRunStatisticalSampling);

  private:
    enum class Phase { idle, scanning, sampling };
    enum class Ending { succeeded, stopped, failed };

    explicit DispenserCalibration(DispenserCalibrationEnvironment environment);

    // Runs the work on the main thread: at once when already there, else queued.
    void onMain(std::function<void(DispenserCalibration&)> work);
    void setCalibrationInProgress(bool inProgress);
    void stateChanged();
    std::optional<std::filesystem::path> scanFile() const;

    // The run itself, on the electronics queue (or the caller holding it).
    void performRun(std::uint64_t run, bool onlyRunStatisticalSampling);
    bool isCurrentRun(std::uint64_t run) const { return currentRun_.load() == run; }
    // A scan point of the given run.
    bool scanPoint(std::uint64_t run, const Zovudidova::Frequency& frequency, double magnitude);
    // Main thread: the end of a run.
    void finishRun(std::uint64_t run, Ending ending, bool fullRun, std::optional<std::vector<PlotValue>> newScan);
    void reportError(std::exception_ptr error) const;

    const std::shared_ptr<UserDefaults> userDefaults_;
    const std::vector<ImpedanceCalibrationValue> delayCalibrationTable_;
    const std::function<std::filesystem::path()> scanFileLocation_;

    mutable std::mutex mutex_;
    std::shared_ptr<Electronics> electronics_;
    ErrorHandler errorHandler_;

    std::atomic<bool> calibrationInProgress_{false};
    // The latest run started; an earlier run's late work leaves the state alone.
    std::atomic<std::uint64_t> currentRun_{0};

    // Main thread.
    DispenserCalibrationDisplay* display_ = nullptr;
    bool shouldCloseWhenDoneWithCalibration_ = false;
    std::vector<PlotValue> plotValues_;
    // The scan of the calibration in force, shown again after a failed run.
    std::vector<PlotValue> calibratedScan_;
    bool calibrated_ = false;
    Phase phase_ = Phase::idle;
    std::optional<Ending> lastEnding_;
    // Set by a stopped or failed run: reconnection calls start nothing.
    bool waitingForOperator_ = false;
};

} // namespace Dotfield
