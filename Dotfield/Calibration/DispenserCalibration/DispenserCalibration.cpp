#include "Dotfield/Calibration/DispenserCalibration/DispenserCalibration.hpp"

#include <filesystem>
#include <system_error>
#include <utility>

#include "Dotfield/Calibration/DispenserCalibration/DispenserCalibrationError.hpp"
#include "Dotfield/Calibration/DispenserCalibration/DispenserImpedanceScan.hpp"
#include "Dotfield/Instrument/DispenserStatus/NoiseCalculationArrays.hpp"
#include "Dotfield/Instrument/DispenserStatus/StatisticalSampling.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Electronics/WaveformGenerator.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Instrument/HelperFunctions/ApplicationSupportDirectory.hpp"
#include "Dotfield/Instrument/ImpedanceScan/DelayCalibrationTable.hpp"
#include "Dotfield/Instrument/ImpedanceScan/ImpedanceScanFile.hpp"
#include "Dotfield/Instrument/ImpedanceScan/ResonanceSearch.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Log.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

std::vector<DispenserCalibration::PlotValue> plotValuesOf(const std::vector<ImpedanceMeasurement>& scan) {
    std::vector<DispenserCalibration::PlotValue> values;
    values.reserve(scan.size());
    for (const auto& measurement : scan) {
        values.push_back({measurement.measurementSettings.frequency, measurement.magnitude});
    }
    return values;
}

// The surface-sensing points of the three chosen resonances: R1's midpoint
// and antiresonance, R2's midpoint and antiresonance, R3's midpoint.
DispenserStatusPoints surfaceSensingPoints(const std::array<ImpedanceResonance, 3>& chosen) {
    return {{
        chosen[0].midpoint.measurementSettings,
        chosen[0].antiresonance.measurementSettings,
        chosen[1].midpoint.measurementSettings,
        chosen[1].antiresonance.measurementSettings,
        chosen[2].midpoint.measurementSettings,
    }};
}

DispenserStatusPoints pointsOf(const DispenserStatistics& statistics) {
    return {{statistics[0].measurementSettings, statistics[1].measurementSettings,
             statistics[2].measurementSettings, statistics[3].measurementSettings,
             statistics[4].measurementSettings}};
}

} // namespace

std::shared_ptr<DispenserCalibration> DispenserCalibration::create(DispenserCalibrationEnvironment environment) {
    return std::shared_ptr<DispenserCalibration>(new DispenserCalibration(std::move(environment)));
}

DispenserCalibration::DispenserCalibration(DispenserCalibrationEnvironment environment)
    : userDefaults_(std::move(environment.userDefaults)),
      delayCalibrationTable_(environment.delayCalibrationTable ? std::move(*environment.delayCalibrationTable)
                                                               : bundledDelayCalibrationTable()),
      scanFileLocation_(environment.scanFile ? std::move(environment.scanFile)
                                             : [] { return applicationSupportDirectory(impedanceScanFileName); }) {}

DispenserCalibration::~DispenserCalibration() = default;

// ---- Collaborators ------------------------------------------------------------------

void DispenserCalibration::setElectronics(std::shared_ptr<Electronics> electronics) {
    std::lock_guard lock(mutex_);
    electronics_ = std::move(electronics);
}

std::shared_ptr<Electronics> DispenserCalibration::electronics() const {
    std::lock_guard lock(mutex_);
    return electronics_;
}

void DispenserCalibration::setErrorHandler(ErrorHandler errorHandler) {
    std::lock_guard lock(mutex_);
    errorHandler_ = std::move(errorHandler);
}

void DispenserCalibration::setDisplay(DispenserCalibrationDisplay* display) {
    display_ = display;
}

std::optional<DispenserStatistics> DispenserCalibration::dispenserStatistics() const {
    const auto electronics = this->electronics();
    return electronics ? electronics->dispenserStatistics() : std::nullopt;
}

std::string DispenserCalibration::statusText() const {
    switch (phase_) {
    case Phase::scanning:
        return "Scanning the dispenser's impedance...";
    case Phase::sampling:
        return "Sampling the impedance at the surface-sensing points...";
    case Phase::idle:
        break;
    }
    if (!calibrated_) {
        return "Not calibrated: press Calibrate dispenser";
    }
    if (lastEnding_ == Ending::stopped) {
        return "Calibration stopped: the previous calibration stays";
    }
    if (lastEnding_ == Ending::failed) {
        return "Calibration failed: the previous calibration stays";
    }
    return "Calibrated";
}

// ---- Main thread ----------------------------------------------------------------------

void DispenserCalibration::onMain(std::function<void(DispenserCalibration&)> work) {
    if (MainQueue::main().isCurrent()) {
        work(*this);
        return;
    }
    MainQueue::main().async([weak = weak_from_this(), work = std::move(work)] {
        if (const auto self = weak.lock()) {
            work(*self);
        }
    });
}

void DispenserCalibration::setCalibrationInProgress(bool inProgress) {
    calibrationInProgress_.store(inProgress);
    onMain([](DispenserCalibration& self) { self.stateChanged(); });
}

void DispenserCalibration::stateChanged() {
    if (display_) {
        display_->calibrationStateChanged();
    }
}

std::optional<std::filesystem::path> DispenserCalibration::scanFile() const {
    try {
        return scanFileLocation_();
    } catch (...) {
        return std::nullopt;
    }
}

// ---- Operations --------------------------------------------------------------------------

void DispenserCalibration::calibrate() {
    if (calibrationInProgress()) {
        endCalibration();
        return;
    }
    waitingForOperator_ = false;
    runCalibration(false, false);
}

void DispenserCalibration::dispenserReconnected() {
    onMain([](DispenserCalibration& self) {
        // A run under way already calibrates the dispenser; after a stopped or
        // failed one the poll's calls (one per tick) must not start run after run.
        if (self.calibrationInProgress() || self.waitingForOperator_) {
            return;
        }
        if (self.display_) {
            self.display_->showCalibrationWindow();
        }
        self.shouldCloseWhenDoneWithCalibration_ = true;
        if (self.display_) {
            self.display_->displayDispenserStatePanel(DispenserStatePanel::connected);
        }
        self.runCalibration(false, false);
    });
}

void DispenserCalibration::dispenserDisconnected() {
    onMain([](DispenserCalibration& self) {
        self.clearCurrentCalibration();
        if (self.userDefaults_) {
            saveNoiseCalculationArrays(std::nullopt, *self.userDefaults_);
        }
        self.waitingForOperator_ = false;
        self.lastEnding_.reset();
        self.stateChanged();
        if (self.display_) {
            self.display_->displayDispenserStatePanel(DispenserStatePanel::disconnected);
        }
    });
}

void DispenserCalibration::loadPreviousCalibration() {
    const auto file = scanFile();
    if (!file || !userDefaults_) {
        return;
    }
    std::vector<ImpedanceMeasurement> scan;
    try {
        scan = loadImpedanceScanFile(*file, delayCalibrationTable_);
    } catch (...) {
        // No saved scan yet is the first launch; anything else is worth a line.
        std::error_code ignored;
        if (std::filesystem::exists(*file, ignored)) {
            writeLogLine(describeFailure("The saved impedance scan could not be read", std::current_exception()));
        }
        return;
    }
    const auto statistics = loadNoiseCalculationArrays(*userDefaults_);
    if (!statistics) {
        return;
    }
    if (const auto electronics = this->electronics()) {
        electronics->setDispenserStatistics(*statistics);
    }
    onMain([values = plotValuesOf(scan)](DispenserCalibration& self) {
        self.plotValues_ = values;
        self.calibratedScan_ = values;
        self.calibrated_ = true;
        if (self.display_) {
            self.display_->reloadGraph();
        }
        self.stateChanged();
    });
}

void DispenserCalibration::clearCurrentCalibration() {
    if (const auto file = scanFile()) {
        std::error_code ignored;
        std::filesystem::remove(*file, ignored);
    }
    onMain([](DispenserCalibration& self) {
        self.plotValues_.clear();
        self.calibratedScan_.clear();
        self.calibrated_ = false;
        if (const auto electronics = self.electronics()) {
            electronics->setDispenserStatistics(std::nullopt);
        }
        if (self.display_) {
            self.display_->reloadGraph();
        }
        self.stateChanged();
    });
}

bool DispenserCalibration::newImpedanceValue(const Zovudidova::Frequency& frequency, double magnitude) {
    onMain([frequency, magnitude](DispenserCalibration& self) {
        self.plotValues_.push_back({frequency, magnitude});
        if (self.display_) {
            self.display_->scanPointAppended(self.plotValues_.size() - 1);
        }
    });
    return calibrationInProgress();
}

bool DispenserCalibration::scanPoint(std::uint64_t run, const Zovudidova::Frequency& frequency, double magnitude) {
    // A run that a newer one has replaced goes no further and draws nothing.
    if (!isCurrentRun(run)) {
        return false;
    }
    return newImpedanceValue(frequency, magnitude);
}

void DispenserCalibration::updateStatisticSamplingProgress(double progress) {
    onMain([progress](DispenserCalibration& self) {
        if (self.display_) {
            self.display_->updateStatisticSamplingProgress(progress);
        }
    });
}

void DispenserCalibration::endCalibration() {
    onMain([](DispenserCalibration& self) {
        if (self.display_) {
            self.display_->reloadGraph();
        }
        self.setCalibrationInProgress(false);
    });
}

void DispenserCalibration::runCalibration(bool synchronously, bool onlyRunStatisticalSampling) {
    const std::uint64_t run = currentRun_.fetch_add(1) + 1;
    setCalibrationInProgress(true);
    const auto electronics = this->electronics();
    if (!electronics) {
        performRun(run, onlyRunStatisticalSampling);
        return;
    }
    auto work = [self = shared_from_this(), run, onlyRunStatisticalSampling] {
        self->performRun(run, onlyRunStatisticalSampling);
    };
    if (synchronously && !MainQueue::main().isCurrent()) {
        electronics->serialDispatchQueue().sync(work);
    } else {
        if (synchronously) {
            Diagnostics::printWithContext("A synchronous calibration was asked for on the main thread; it runs "
                                               "in the background instead");
        }
        electronics->serialDispatchQueue().async(std::move(work));
    }
}

void DispenserCalibration::recalibrate(bool onlyRunStatisticalSampling) {
    onMain([](DispenserCalibration& self) {
        if (self.display_) {
            self.display_->showCalibrationWindow();
            self.display_->displayDispenserStatePanel(DispenserStatePanel::recalibrating);
        }
    });
    runCalibration(true, onlyRunStatisticalSampling);
    onMain([](DispenserCalibration& self) {
        if (self.display_) {
            self.display_->closeCalibrationWindow();
        }
    });
}

// ---- The run --------------------------------------------------------------------------------

void DispenserCalibration::performRun(std::uint64_t run, bool onlyRunStatisticalSampling) {
    const bool fullRun = !onlyRunStatisticalSampling;
    const auto electronics = this->electronics();
    std::shared_ptr<SerialPort> drivenPort;
    try {
        const auto port = electronics ? electronics->serialPort() : nullptr;
        if (!port) {
            throw Diagnostics::logAndReturnError(
                ElectronicsError(ElectronicsError::Kind::electronicsDisconnected));
        }
        std::optional<DispenserStatusPoints> points;
        std::vector<ImpedanceMeasurement> scan;
        if (fullRun) {
            onMain([run](DispenserCalibration& self) {
                if (!self.isCurrentRun(run)) {
                    return;
                }
                // Only the plot starts empty: the calibration in force stays
                // until this run has stored its own.
                self.plotValues_.clear();
                self.phase_ = Phase::scanning;
                if (self.display_) {
                    self.display_->reloadGraph();
                }
                self.stateChanged();
            });
            drivenPort = port;
            scan = scanDispenserImpedance(
                electronics->hardwareGeneration(), delayCalibrationTable_, *port,
                [this, run](const Zovudidova::Frequency& frequency, double magnitude) {
                    return scanPoint(run, frequency, magnitude);
                });
            if (scan.empty()) {
                throw Diagnostics::logAndReturnError(
                    DispenserCalibrationError(DispenserCalibrationError::Kind::noImpedanceMeasurements));
            }
        } else {
            const auto statistics = electronics->dispenserStatistics();
            if (!statistics) {
                throw Diagnostics::logAndReturnError(
                    DispenserCalibrationError(DispenserCalibrationError::Kind::noDispenserStatistics));
            }
            points.emplace(pointsOf(*statistics));
        }
        onMain([run](DispenserCalibration& self) {
            if (self.isCurrentRun(run)) {
                self.phase_ = Phase::sampling;
                self.stateChanged();
            }
            if (self.display_) {
                self.display_->showOverlayView();
            }
        });
        if (fullRun) {
            const auto chosen = selectDispenserFrequencies(findResonances(scan));
            electronics->updateResonantFrequency(chosen[0].resonance);
            points.emplace(surfaceSensingPoints(chosen));
        }
        drivenPort = port;
        const DispenserStatistics statistics = performStatisticalSamplingOfImpedances(
            *points, *electronics, [this](double progress) { updateStatisticSamplingProgress(progress); });

        electronics->setDispenserStatistics(statistics);
        if (userDefaults_) {
            saveNoiseCalculationArrays(statistics, *userDefaults_);
        }
        if (fullRun) {
            if (const auto file = scanFile()) {
                try {
                    exportImpedanceScan(scan, *file);
                } catch (...) {
                    writeLogLine(describeFailure("The impedance scan was not saved", std::current_exception()));
                }
            }
        }
        onMain([run, fullRun, values = fullRun ? std::optional(plotValuesOf(scan)) : std::nullopt](
                   DispenserCalibration& self) { self.finishRun(run, Ending::succeeded, fullRun, values); });
    } catch (...) {
        const auto error = std::current_exception();
        if (drivenPort) {
            stopDrivingBestEffort(*drivenPort);
        }
        const bool stopped = fullRun && isAbortedByUser(error);
        onMain([run, fullRun, stopped](DispenserCalibration& self) {
            self.finishRun(run, stopped ? Ending::stopped : Ending::failed, fullRun, std::nullopt);
        });
        if (!stopped) {
            reportError(error);
        }
    }
}

void DispenserCalibration::finishRun(std::uint64_t run, Ending ending, bool fullRun,
                                     std::optional<std::vector<PlotValue>> newScan) {
    if (display_) {
        display_->hideOverlayView();
    }
    if (!isCurrentRun(run)) {
        return;
    }
    phase_ = Phase::idle;
    lastEnding_ = ending;
    const bool closeWindow = ending == Ending::succeeded && shouldCloseWhenDoneWithCalibration_;
    shouldCloseWhenDoneWithCalibration_ = false;
    if (ending == Ending::succeeded) {
        calibrated_ = true;
        waitingForOperator_ = false;
        if (newScan) {
            plotValues_ = *newScan;
            calibratedScan_ = std::move(*newScan);
        }
    } else {
        waitingForOperator_ = true;
        // The calibration in force stays, and so does its scan on the plot;
        // without one, the points measured before the end stay.
        if (fullRun && calibrated_) {
            plotValues_ = calibratedScan_;
        }
    }
    if (display_) {
        display_->reloadGraph();
    }
    setCalibrationInProgress(false);
    if (closeWindow && display_) {
        display_->displayDispenserStatePanel(DispenserStatePanel::calibrated);
        display_->closeCalibrationWindow();
    }
}

void DispenserCalibration::reportError(std::exception_ptr error) const {
    ErrorHandler handler;
    {
        std::lock_guard lock(mutex_);
        handler = errorHandler_;
    }
    if (handler) {
        handler(std::move(error));
    } else {
        Diagnostics::printWithContext("A dispenser calibration failed without an error handler to report to");
    }
}

} // namespace Dotfield
