#pragma once
// The robot sequences that put a solution into the dispenser and take it out
// again: Load (empty the solution in the dispenser unless it is the one
// chosen, then dwell in the chosen well), Empty (spray it out into its waste
// well and come back), Rinse (empty, then dwell in the rinse well and empty
// again once per rinse cycle, then come back), and the solution change that
// printing asks for at each layer and reload.
//
// Roles, all found by name in the wells of the sequence: D, the solution in
// the dispenser (none when nothing is recorded or no well has the name); W,
// D's waste well, and R, D's rinse well, each D itself when D names none or
// the name matches no well.
//
// Every well a sequence will visit must have a position: a plate well outside
// its plate is refused with SolutionWellError, naming it, before anything
// moves. A sequence stops at its first error and passes it on; the record of
// the solution in the dispenser changes only at the sequence's own step.
// Dwells sleep the calling thread with the given sleeper; every move travels
// at the robot's safe pickup height.
//
// Threads: the robot's queue (or the caller's, for a direct call).

#include <optional>
#include <string>
#include <vector>

#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionInDispenserRecord.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWell.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellSpraying.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class Robot;

class SolutionWellSequences {
  public:
    // The wells and the A1 position are copies taken when the sequence starts.
    SolutionWellSequences(Robot& robot, WellSpray spray, Sleeper& sleeper, SolutionInDispenserRecord& record,
                          std::vector<SolutionWell> wells, VeltranePatterns::Coordinate a1WellPosition);

    // From the robot's last known position: empties D into W (without rinsing)
    // when D is another well than `selected`, dwells in `selected` for its
    // reload time, goes back, and records `selected`.
    void load(const SolutionWell& selected);
    // Empties D into W and goes back; the record becomes none in every case.
    void empty();
    // Empties D into W, then per rinse cycle dwells in R for R's reload time
    // and empties into W again, then goes back; the record becomes none in
    // every case.
    void rinse();
    // The solution change of printing. Not reloading, with `well` already
    // recorded: returns at once. Otherwise takes the manual movement
    // parameters; not reloading, starts from a fresh position reading, empties
    // and rinses D, dwells in `well`, records it, and goes back; reloading, it
    // dwells in `well` from the last known position, goes back and records
    // it, never emptying. Ends with the pattern-printing parameters (not after
    // an error).
    void changeSolutionInDispenser(const SolutionWell& well, bool reloading);

  private:
    // D, W and R as above.
    std::optional<SolutionWell> solutionInDispenser() const;
    SolutionWell wasteWell(const SolutionWell& solution) const;
    SolutionWell rinseWell(const SolutionWell& solution) const;
    // Throws SolutionWellError for the first well without a position.
    void requirePositions(const std::vector<SolutionWell>& wells);
    // The wells emptying D (and rinsing it, when asked) will visit.
    std::vector<SolutionWell> emptyingWells(const SolutionWell& solution, bool rinsing) const;

    void moveTo(const VeltranePatterns::Coordinate& position);
    void moveToWell(const SolutionWell& well);
    void dwell(const Zovudidova::Duration& duration);
    void emptyInto(const SolutionWell& solution, const SolutionWell& target, bool returnToStart);
    // Dwells in R and empties into W once per rinse cycle of the solution.
    void rinseCycles(const SolutionWell& solution);
    double travelHeight() const;

    Robot& robot_;
    WellSpray spray_;
    Sleeper& sleeper_;
    SolutionInDispenserRecord& record_;
    const std::vector<SolutionWell> wells_;
    const VeltranePatterns::Coordinate a1WellPosition_;
};

} // namespace Dotfield
