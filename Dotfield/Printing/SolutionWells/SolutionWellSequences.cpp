#include "Dotfield/Printing/SolutionWells/SolutionWellSequences.hpp"

#include "Dotfield/Printing/SolutionWells/SolutionWellList.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellPosition.hpp"
#include "Dotfield/Printing/SolutionWells/WellNames.hpp"
#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield {

using VeltranePatterns::Coordinate;

SolutionWellSequences::SolutionWellSequences(Robot& robot, WellSpray spray, Sleeper& sleeper,
                                             SolutionInDispenserRecord& record,
                                             std::vector<SolutionWell> wells, Coordinate a1WellPosition)
    : robot_(robot), spray_(std::move(spray)), sleeper_(sleeper), record_(record), wells_(std::move(wells)),
      a1WellPosition_(a1WellPosition) {}

// ---- Roles ---------------------------------------------------------------------------

std::optional<SolutionWell> SolutionWellSequences::solutionInDispenser() const {
    return solutionWell(wells_, record_.name());
}

SolutionWell SolutionWellSequences::wasteWell(const SolutionWell& solution) const {
    return solutionWell(wells_, solution.wasteWell).value_or(solution);
}

SolutionWell SolutionWellSequences::rinseWell(const SolutionWell& solution) const {
    return solutionWell(wells_, solution.rinseWell).value_or(solution);
}

std::vector<SolutionWell> SolutionWellSequences::emptyingWells(const SolutionWell& solution,
                                                               bool rinsing) const {
    std::vector<SolutionWell> visited{wasteWell(solution)};
    if (rinsing && solution.rinseCycles > 0) {
        visited.push_back(rinseWell(solution));
    }
    return visited;
}

void SolutionWellSequences::requirePositions(const std::vector<SolutionWell>& wells) {
    for (const auto& well : wells) {
        requireDeckPosition(well, a1WellPosition_, robot_);
    }
}

// ---- Steps ---------------------------------------------------------------------------

double SolutionWellSequences::travelHeight() const {
    return robot_.safePickupHeight().value_or(robot_.defaultSafePickupHeight());
}

void SolutionWellSequences::moveTo(const Coordinate& position) {
    robot_.moveToPosition(position, travelHeight());
}

void SolutionWellSequences::moveToWell(const SolutionWell& well) {
    moveTo(requireDeckPosition(well, a1WellPosition_, robot_));
}

void SolutionWellSequences::dwell(const Zovudidova::Duration& duration) {
    sleeper_.sleep(nonNegativeDuration(duration));
}

void SolutionWellSequences::emptyInto(const SolutionWell& solution, const SolutionWell& target,
                                      bool returnToStart) {
    sprayAtWell(solution, target, returnToStart, robot_, spray_, a1WellPosition_, travelHeight());
}

void SolutionWellSequences::rinseCycles(const SolutionWell& solution) {
    const SolutionWell rinse = rinseWell(solution);
    const SolutionWell waste = wasteWell(solution);
    for (std::uint64_t cycle = 0; cycle < solution.rinseCycles; ++cycle) {
        moveToWell(rinse);
        dwell(rinse.reloadTime);
        emptyInto(solution, waste, false);
    }
}

// ---- Sequences ---------------------------------------------------------------------------

void SolutionWellSequences::load(const SolutionWell& selected) {
    const Coordinate start = robot_.currentCoordinate();
    const auto inDispenser = solutionInDispenser();
    const bool emptying = inDispenser && !wellNamesEqual(inDispenser->name, selected.name);
    std::vector<SolutionWell> visited =
        emptying ? emptyingWells(*inDispenser, false) : std::vector<SolutionWell>{};
    visited.push_back(selected);
    requirePositions(visited);

    if (emptying) {
        emptyInto(*inDispenser, wasteWell(*inDispenser), false);
    }
    moveToWell(selected);
    dwell(selected.reloadTime);
    moveTo(start);
    record_.set(selected.name);
}

void SolutionWellSequences::empty() {
    if (const auto inDispenser = solutionInDispenser()) {
        requirePositions(emptyingWells(*inDispenser, false));
        emptyInto(*inDispenser, wasteWell(*inDispenser), true);
    }
    record_.set(std::nullopt);
}

void SolutionWellSequences::rinse() {
    if (const auto inDispenser = solutionInDispenser()) {
        requirePositions(emptyingWells(*inDispenser, true));
        const Coordinate start = robot_.currentCoordinate();
        emptyInto(*inDispenser, wasteWell(*inDispenser), false);
        rinseCycles(*inDispenser);
        moveTo(start);
    }
    record_.set(std::nullopt);
}

void SolutionWellSequences::changeSolutionInDispenser(const SolutionWell& well, bool reloading) {
    const auto recorded = record_.name();
    if (!reloading && recorded && wellNamesEqual(*recorded, well.name)) {
        return;
    }
    const auto inDispenser = reloading ? std::nullopt : solutionInDispenser();
    std::vector<SolutionWell> visited =
        inDispenser ? emptyingWells(*inDispenser, true) : std::vector<SolutionWell>{};
    visited.push_back(well);
    requirePositions(visited);

    robot_.useManualPositioningMovementParameters();
    if (!reloading) {
        const Coordinate start = robot_.readAndStoreCurrentPosition();
        if (inDispenser) {
            emptyInto(*inDispenser, wasteWell(*inDispenser), false);
            rinseCycles(*inDispenser);
        }
        moveToWell(well);
        dwell(well.reloadTime);
        record_.set(well.name);
        moveTo(start);
    } else {
        const Coordinate start = robot_.currentCoordinate();
        moveToWell(well);
        dwell(well.reloadTime);
        moveTo(start);
        record_.set(well.name);
    }
    robot_.usePatternPrintingMovementParameters();
}

} // namespace Dotfield
