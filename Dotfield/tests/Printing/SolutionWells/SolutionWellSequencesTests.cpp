// The loading, emptying, rinsing and solution-change sequences on a robot
// whose moves arrive at once: which wells they visit in which order, how long
// they dwell and spray, what they record, and what they refuse.

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionInDispenserRecord.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellError.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellSequences.hpp"
#include "Dotfield/tests/Printing/SolutionWells/SolutionWellFakes.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"

namespace Dotfield::testing {
namespace {

using Events = std::vector<std::string>;

const Coordinate start(1000, 2000, 20000);
const Coordinate a1(50000, 20000, 3000);

class SolutionWellSequencesTest : public ::testing::Test {
  protected:
    SolutionWellSequencesTest() {
        robot->setSafePickupHeight(ArrivingWellRobot::travelHeight);
        robot->setCurrentCoordinate(start);
    }

    SolutionWellSequences sequences() {
        return SolutionWellSequences(*robot, recordingSpray(log), sleeper, record, wells, a1);
    }
    // Records the name as if a sequence had loaded it, and forgets the log.
    void recordSolution(const std::optional<std::string>& name) {
        record.set(name);
        log->events.clear();
    }

    std::shared_ptr<WellLog> log = std::make_shared<WellLog>();
    std::shared_ptr<ArrivingWellRobot> robot = Robot::make<ArrivingWellRobot>(log);
    RecordingSleeper sleeper{log};
    std::shared_ptr<UserDefaults> store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    SolutionInDispenserRecord record{store};
    std::vector<SolutionWell> wells{customWell("A", {10000, 10000, 5000}),
                                    customWell("B", {30000, 10000, 6000})};
};

TEST_F(SolutionWellSequencesTest, LoadDwellsInTheWellAndRecordsIt) {
    sequences().load(wells[1]);
    EXPECT_EQ(log->events, (Events{"at (30000, 10000, 6000)", "dwell 10.0", "at (1000, 2000, 20000)"}));
    EXPECT_EQ(record.name(), "B");
    EXPECT_EQ(store->stringForKey("solutionInDispenser"), "B");

    // Loading it again empties nothing; the visit and the dwell still happen.
    log->events.clear();
    sequences().load(wells[1]);
    EXPECT_EQ(log->events, (Events{"at (30000, 10000, 6000)", "dwell 10.0", "at (1000, 2000, 20000)"}));
}

TEST_F(SolutionWellSequencesTest, LoadEmptiesAnotherSolutionAtItsOwnWellWithoutGoingBackBetween) {
    wells[0].timeToEmpty = Zovudidova::seconds(7.5);
    recordSolution("A");
    sequences().load(wells[1]);
    EXPECT_EQ(log->events, (Events{"at (10000, 10000, 5000)", "spray 7.5", "at (30000, 10000, 6000)",
                                   "dwell 10.0", "at (1000, 2000, 20000)"}));
    EXPECT_EQ(record.name(), "B");
}

TEST_F(SolutionWellSequencesTest, EmptyAndRinse) {
    // D = A with its own waste well W and rinse well R, two rinse cycles.
    wells.push_back(customWell("W", {70000, 0, 1000}));
    wells.push_back(customWell("R", {90000, 0, 2000}));
    wells[0].wasteWell = "W";
    wells[0].rinseWell = "R";
    wells[0].rinseCycles = 2;

    recordSolution("A");
    sequences().rinse();
    const Events rinse{"at (70000, 0, 1000)", "spray 20.0", "at (90000, 0, 2000)",   "dwell 10.0",
                       "at (70000, 0, 1000)", "spray 20.0", "at (90000, 0, 2000)",   "dwell 10.0",
                       "at (70000, 0, 1000)", "spray 20.0", "at (1000, 2000, 20000)"};
    EXPECT_EQ(log->events, rinse);
    EXPECT_DOUBLE_EQ(log->sleptSeconds, 80.0);
    EXPECT_EQ(record.name(), std::nullopt);
    EXPECT_EQ(store->stringForKey("solutionInDispenser"), std::nullopt);

    // No rinse cycles: one emptying, then back.
    wells[0].rinseCycles = 0;
    recordSolution("A");
    sequences().rinse();
    EXPECT_EQ(log->events, (Events{"at (70000, 0, 1000)", "spray 20.0", "at (1000, 2000, 20000)"}));

    recordSolution("A");
    sequences().empty();
    EXPECT_EQ(log->events, (Events{"at (70000, 0, 1000)", "spray 20.0", "at (1000, 2000, 20000)"}));
    EXPECT_EQ(record.name(), std::nullopt);

    // Nothing recorded, or a record naming no well: nothing moves, the setting is cleared.
    for (const std::optional<std::string>& recorded :
         {std::optional<std::string>(), std::optional<std::string>("gone")}) {
        recordSolution(recorded);
        sequences().empty();
        sequences().rinse();
        EXPECT_TRUE(log->events.empty());
        EXPECT_EQ(store->stringForKey("solutionInDispenser"), std::nullopt);
    }
}

TEST_F(SolutionWellSequencesTest, SolutionChangeOfPrinting) {
    wells[0].rinseCycles = 1;
    struct Case {
        const char* title;
        std::optional<std::string> recorded;
        bool reloading;
        Events events;
    };
    const std::vector<Case> cases{
        {"the recorded solution: at once, parameters untouched", "B", false, {}},
        {"a change from A empties and rinses A at its own well, records B before going back",
         "A",
         false,
         {"manual", "read", "at (10000, 10000, 5000)", "spray 20.0", "dwell 10.0", "spray 20.0",
          "at (30000, 10000, 6000)", "dwell 10.0", "at (1000, 2000, 20000)", "pattern"}},
        {"a record naming no well: nothing emptied",
         "gone",
         false,
         {"manual", "read", "at (30000, 10000, 6000)", "dwell 10.0", "at (1000, 2000, 20000)", "pattern"}},
        {"a reload never empties",
         "A",
         true,
         {"manual", "at (30000, 10000, 6000)", "dwell 10.0", "at (1000, 2000, 20000)", "pattern"}},
        {"a reload of the recorded solution still loads",
         "B",
         true,
         {"manual", "at (30000, 10000, 6000)", "dwell 10.0", "at (1000, 2000, 20000)", "pattern"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        robot->setCurrentCoordinate(start);
        recordSolution(c.recorded);
        sequences().changeSolutionInDispenser(wells[1], c.reloading);
        EXPECT_EQ(log->events, c.events);
        EXPECT_EQ(record.name(), "B");
    }
}

TEST_F(SolutionWellSequencesTest, WellsAreVisitedAtTheirDeckPosition) {
    // A custom well keeps its plate's offset; C5 of a 96-well plate on plate 1
    // lies 2 letters towards −x, 4 rows towards +y, one plate pitch along +y.
    wells[0].plateNumber = 1;
    wells[1].location = SolutionLocation::MicrotiterPlate96Well{5, "C"};
    wells[1].plateNumber = 1;
    sequences().load(wells[0]);
    EXPECT_EQ(log->events[0], "at (10000, 170060, 5000)");
    recordSolution(std::nullopt);
    sequences().load(wells[1]);
    EXPECT_EQ(log->events[0], "at (32000, 216060, 3000)");
}

TEST_F(SolutionWellSequencesTest, AWellOffItsPlateIsRefusedBeforeAnythingMoves) {
    const std::vector<SolutionLocation> offPlate{
        SolutionLocation::MicrotiterPlate96Well{0, "A"},   SolutionLocation::MicrotiterPlate96Well{13, "A"},
        SolutionLocation::MicrotiterPlate96Well{1, "I"},   SolutionLocation::MicrotiterPlate96Well{1, "a"},
        SolutionLocation::MicrotiterPlate384Well{25, "A"}, SolutionLocation::MicrotiterPlate384Well{1, ""}};
    wells.push_back(customWell("W", {70000, 0, 1000}));
    wells[0].wasteWell = "W";
    for (std::size_t index = 0; index < offPlate.size(); ++index) {
        SCOPED_TRACE(index);
        const SolutionLocation& location = offPlate[index];
        for (const bool asWaste : {false, true}) {
            wells[2].location = location;
            recordSolution("A");
            const auto run = [&] {
                if (asWaste) {
                    sequences().empty();
                } else {
                    sequences().load(wells[2]);
                }
            };
            const auto error = errorThrownBy<SolutionWellError>(run);
            EXPECT_EQ(error.wellName(), "W");
            EXPECT_TRUE(log->events.empty()) << "nothing moves, dwells or sprays";
            EXPECT_EQ(record.name(), "A") << "the record stays";
        }
    }
    const ErrorAlertContent alert = SolutionWellError::wellWithoutPosition("Ink").presentableDescription();
    EXPECT_EQ(alert.messageText, "The solution well \u201cInk\u201d has no position on its plate.");
}

TEST_F(SolutionWellSequencesTest, AFailedStepStopsTheSequenceAndKeepsTheRecord) {
    recordSolution("A");
    SolutionWellSequences failing(
        *robot,
        [](const Zovudidova::Duration&) {
            throw ElectronicsError(ElectronicsErrorKind::electronicsDisconnected);
        },
        sleeper, record, wells, a1);
    EXPECT_THROW(failing.load(wells[1]), ElectronicsError);
    EXPECT_THROW(failing.changeSolutionInDispenser(wells[1], false), ElectronicsError);
    EXPECT_EQ(record.name(), "A");
    EXPECT_EQ(log->starting("pattern"), Events{}) << "a failed change keeps the manual parameters";
    EXPECT_EQ(log->starting("dwell"), Events{});
}

TEST(SprayAtWellTest, ASprayingErrorOfTheLinkBecomesTheRobotsAndTheRobotStays) {
    auto log = std::make_shared<WellLog>();
    auto robot = Robot::make<ArrivingWellRobot>(log);
    robot->setCurrentCoordinate(start);
    const SolutionWell well = customWell("A", {10000, 10000, 5000});
    const struct {
        CommunicationsError error;
        RoboticsError::Kind kind;
    } cases[] = {
        {CommunicationsError::readWriteTimeout(), RoboticsError::Kind::notConnected},
        {CommunicationsError::failedStatusCheck(), RoboticsError::Kind::notConnected},
        {CommunicationsError::wrongByteCount(4, 1), RoboticsError::Kind::corruptedCommunications},
        {CommunicationsError::corruptedResponse({1}, {2}), RoboticsError::Kind::corruptedCommunications},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error.caseDescription());
        robot->setCurrentCoordinate(start);
        const auto failing = [&](const Zovudidova::Duration&) { throw c.error; };
        const auto error = errorThrownBy<RoboticsError>(
            [&] { sprayAtWell(well, well, true, *robot, failing, a1, 60000.0); });
        EXPECT_EQ(error.kind(), c.kind);
        if (c.kind == RoboticsError::Kind::notConnected) {
            EXPECT_EQ(error.axes(), std::set<MotorPosition>{MotorPosition::allMotors});
        }
        EXPECT_EQ(robot->currentCoordinate(), Coordinate(10000, 10000, 5000)) << "no way back";
    }
    // Other errors pass unchanged.
    const auto other = [](const Zovudidova::Duration&) {
        throw ElectronicsError(ElectronicsErrorKind::electronicsDisconnected);
    };
    EXPECT_THROW(sprayAtWell(well, well, true, *robot, other, a1, 60000.0), ElectronicsError);
}

} // namespace
} // namespace Dotfield::testing
