#include "Dotfield/Calibration/SurfaceCant/SurfaceCantMeasurement.hpp"

#include <stdexcept>

#include "Dotfield/Calibration/SurfaceCant/SurfaceCantSettings.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/Robotics/SurfaceFinding.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

using VeltranePatterns::Coordinate;

namespace {

class Measurement {
  public:
    Measurement(Robot& robot, DispenserSensing& sensing, const std::function<void()>& recalibrationOperation,
                const std::atomic<bool>& cancelled)
        : robot_(robot), sensing_(sensing), recalibrationOperation_(recalibrationOperation), cancelled_(cancelled) {}

    // The robot's settings are read afresh for every search.
    Coordinate findSurface() {
        const bool slow = robot_.shouldUseSlowApproachDuringSurfaceFinding();
        return findSurfaceWithApproachStepSize(
            slow ? robot_.slowSurfaceApproachStepSize() : robot_.surfaceApproachStepSize(),
            robot_.surfaceRetractionStepSize(), !slow, robot_, sensing_, recalibrationOperation_);
    }

    void stopIfCancelled() const { throwIfAbortedByUser(cancelled_); }

    // Measures the four points of one line from the reference.
    void measureLine(const Coordinate& reference, const Coordinate& step, SurfaceCantAxis axis,
                     std::vector<Coordinate>& points, const SurfaceCantMeasurementSteps& steps) {
        for (int i = 1; i <= surfaceCantPointsPerLine; ++i) {
            robot_.moveToPosition(reference + step * static_cast<double>(i), reference.z);
            stopIfCancelled();
            const Coordinate found = findSurface();
            stopIfCancelled();
            points.push_back(found);
            if (steps.pointMeasured) {
                steps.pointMeasured(axis, found);
            }
            robot_.setCurrentCoordinateAndNotify(found);
        }
    }

  private:
    Robot& robot_;
    DispenserSensing& sensing_;
    const std::function<void()>& recalibrationOperation_;
    const std::atomic<bool>& cancelled_;
};

} // namespace

SurfaceCantPoints performSurfaceCantCalibration(Robot& robot, DispenserSensing& sensing,
                                                const std::function<void()>& recalibrationOperation,
                                                const Coordinate& startPoint, double distanceToCalibrateInX,
                                                double distanceToCalibrateInY,
                                                const std::atomic<bool>& hasCalibrationBeenCancelled,
                                                const SurfaceCantMeasurementSteps& steps) {
    if (!isUsableDistanceToCalibrate(distanceToCalibrateInX) || !isUsableDistanceToCalibrate(distanceToCalibrateInY)) {
        throw Diagnostics::logAndReturnError(
            std::invalid_argument("The surface-cant lines need lengths that are finite and not 0"));
    }
    Measurement measurement(robot, sensing, recalibrationOperation, hasCalibrationBeenCancelled);

    const Coordinate first = measurement.findSurface();
    Coordinate reference = startPoint;
    if (startPoint.z - first.z < minimumReferenceClearance) {
        reference = startPoint.coordinateByIncreasingHeight(minimumReferenceClearance);
    }
    measurement.stopIfCancelled();

    SurfaceCantPoints points;
    points.pointsForX.push_back(first);
    points.pointsForY.push_back(first);
    if (steps.startPointMeasured) {
        steps.startPointMeasured(first);
    }
    const double divisions = surfaceCantPointsPerLine;
    measurement.measureLine(reference, Coordinate{distanceToCalibrateInX, 0.0, 0.0} / divisions, SurfaceCantAxis::x,
                            points.pointsForX, steps);
    measurement.measureLine(reference, Coordinate{0.0, distanceToCalibrateInY, 0.0} / divisions, SurfaceCantAxis::y,
                            points.pointsForY, steps);
    if (steps.linesMeasured) {
        steps.linesMeasured(points);
    }
    robot.moveToPosition(reference, reference.z);
    return points;
}

} // namespace Dotfield
