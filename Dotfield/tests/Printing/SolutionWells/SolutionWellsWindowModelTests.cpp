// The solution wells window's state and rules without its widgets: what a
// fresh or stored settings store gives, adding, editing, renaming and removing
// wells with what each stores, the position reads, and the names.

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellEditing.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellSettings.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellsWindowModel.hpp"
#include "Dotfield/Printing/SolutionWells/WellNames.hpp"
#include "Dotfield/tests/Printing/SolutionWells/SolutionWellFakes.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield::testing {
namespace {

using Change = SolutionWellsWindowModel::Change;
using Strings = std::vector<std::string>;

class SolutionWellsWindowModelTest : public ::testing::Test {
  protected:
    SolutionWellsWindowModelTest() {
        robot->setCurrentCoordinate({12000, 34000, 20000});
        robot->setSafePickupHeight(ArrivingWellRobot::travelHeight);
    }

    std::shared_ptr<SolutionWellsWindowModel> makeModel() {
        auto made = SolutionWellsWindowModel::make(store, std::make_shared<RecordingSleeper>(log));
        made->setRobot(robot);
        made->setSpray(recordingSpray(log));
        made->setErrorHandler([this](std::exception_ptr error) { errors.push_back(error); });
        made->setObserver([this](Change change) { changes.push_back(change); });
        made->windowDidLoad();
        return made;
    }
    // Adds a well at the robot's position and waits for it.
    void add() {
        const std::size_t before = model->solutionWells().size();
        model->addNewSolutionWell();
        ASSERT_TRUE(mainThread.pump().runUntil([&] { return model->solutionWells().size() > before; },
                                               Dotfield::Testing::eventuallyLimit));
    }
    void waitForRobotQueue() {
        bool done = false;
        robot->serialDispatchQueue().async([&] { MainQueue::main().async([&] { done = true; }); });
        ASSERT_TRUE(mainThread.pump().runUntil([&] { return done; }, Dotfield::Testing::eventuallyLimit));
    }
    std::vector<SolutionWell> stored() const {
        return storedSolutionWells(*store, "solutionWells").value_or(std::vector<SolutionWell>{});
    }

    ScopedMainThreadPump mainThread;
    std::shared_ptr<WellLog> log = std::make_shared<WellLog>();
    std::shared_ptr<ArrivingWellRobot> robot = Robot::make<ArrivingWellRobot>(log);
    std::shared_ptr<UserDefaults> store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    std::vector<std::exception_ptr> errors;
    std::vector<Change> changes;
    std::shared_ptr<SolutionWellsWindowModel> model = makeModel();
};

TEST_F(SolutionWellsWindowModelTest, AFreshStoreAndTheFirstWell) {
    EXPECT_TRUE(model->solutionWells().empty());
    EXPECT_EQ(model->currentlySelectedRow(), std::nullopt);
    EXPECT_FALSE(model->solutionHasBeenSelected());
    EXPECT_EQ(model->a1WellPosition(), Coordinate(0, 0, 100000));
    EXPECT_EQ(model->solutionInDispenserText(), "Solution in dispenser: (None)");
    EXPECT_EQ(model->listOfRinseOrWasteWells(), Strings{"Return to solution well"});
    EXPECT_EQ(model->columnLabels(), Strings{"Custom"});

    std::optional<std::size_t> addedRow;
    model->addNewSolutionWell([&](std::size_t row) { addedRow = row; });
    ASSERT_TRUE(
        mainThread.pump().runUntil([&] { return addedRow.has_value(); }, Dotfield::Testing::eventuallyLimit));
    EXPECT_EQ(addedRow, 0u);
    const SolutionWell expected{"Well 1",
                                SolutionLocation::CustomLocation{{12000, 34000, 20000}},
                                0,
                                SolutionReloadQuantity::Unlimited{},
                                Zovudidova::seconds(10.0),
                                3,
                                std::nullopt,
                                std::nullopt,
                                Zovudidova::seconds(20.0)};
    EXPECT_EQ(model->solutionWells(), std::vector<SolutionWell>{expected});
    EXPECT_EQ(stored(), std::vector<SolutionWell>{expected});
    EXPECT_EQ(model->listOfRinseOrWasteWells(), (Strings{"Return to solution well", "Well 1"}));

    // A relaunch reads back what was stored.
    const auto relaunched = SolutionWellsWindowModel::make(store);
    relaunched->windowDidLoad();
    EXPECT_EQ(relaunched->currentlySelectedRow(), 0u);
    EXPECT_TRUE(relaunched->solutionHasBeenSelected());
}

TEST_F(SolutionWellsWindowModelTest, NewWellsTakeTheFirstFreeName) {
    add();
    add();
    model->selectRow(0);
    model->removeSelectedSolutionWell();
    add();
    Strings names;
    for (const auto& well : model->solutionWells()) {
        names.push_back(well.name);
    }
    EXPECT_EQ(names, (Strings{"Well 2", "Well 3"}));
}

TEST_F(SolutionWellsWindowModelTest, AFailedPositionReadChangesNothing) {
    class UnreadableRobot final : public Robot {
      public:
        using Robot::Robot;
        Coordinate readCurrentPosition() override {
            throw RoboticsError(RoboticsError::Kind::corruptedCommunications);
        }
        Coordinate offsetForA1WellOfPlateNumber(std::uint64_t) override { return {}; }
    };
    model->setRobot(Robot::make<UnreadableRobot>(store));
    model->addNewSolutionWell();
    model->setA1WellPosition();
    ASSERT_TRUE(
        mainThread.pump().runUntil([&] { return errors.size() == 2; }, Dotfield::Testing::eventuallyLimit));
    EXPECT_TRUE(model->solutionWells().empty());
    EXPECT_EQ(store->object("solutionWells"), std::nullopt);
    EXPECT_EQ(store->object("storedA1WellLocation"), std::nullopt);
}

TEST_F(SolutionWellsWindowModelTest, SwitchingTheLocationKind) {
    add();
    model->selectRow(0);
    const struct {
        int kind, row, column;
        SolutionLocation location;
    } cases[] = {
        {1, 0, 0, SolutionLocation::MicrotiterPlate96Well{1, "A"}},
        {1, -1, -1, SolutionLocation::MicrotiterPlate96Well{1, "A"}},
        {1, 11, 7, SolutionLocation::MicrotiterPlate96Well{12, "H"}},
        {2, 11, 7, SolutionLocation::MicrotiterPlate384Well{12, "H"}},
        {2, 23, 15, SolutionLocation::MicrotiterPlate384Well{24, "P"}},
        // From a 384-well position beyond the 96-well plate: its last row and letter.
        {1, 23, 15, SolutionLocation::MicrotiterPlate96Well{12, "H"}},
    };
    for (const auto& c : cases) {
        model->changedPlateType(c.kind, c.row, c.column);
        EXPECT_EQ(model->selectedWell()->location, c.location) << c.kind << " " << c.row << " " << c.column;
        EXPECT_EQ(stored()[0].location, c.location);
    }
    EXPECT_TRUE(model->shouldEnableMicrotiterPlateOptions());
    EXPECT_EQ(model->columnLabels().size(), 8u);
    EXPECT_EQ(model->rowLabels().back(), "12");
    // H12 of plate 0 from A1 (0, 0, 100000).
    EXPECT_EQ(model->coordinateText(), "(-63000, 99000, 100000)");

    // C5 of plate 1 becomes a custom well where it stands: plate 0, same position.
    model->changedRow(4);
    model->changedColumn(2);
    model->changedPlateNumber(1);
    const auto shown = model->coordinateText();
    EXPECT_EQ(shown, "(-18000, 196060, 100000)");
    model->changedPlateType(0, 4, 2);
    EXPECT_EQ(model->selectedWell()->location,
              SolutionLocation(SolutionLocation::CustomLocation{{-18000, 196060, 100000}}));
    EXPECT_EQ(model->selectedWell()->plateNumber, 0u);
    EXPECT_EQ(model->coordinateText(), shown);
    EXPECT_FALSE(model->shouldEnableMicrotiterPlateOptions());
    EXPECT_EQ(model->rowLabels(), Strings{"Custom"});

    // The taught point is where the well goes, whatever plate it had.
    model->changedPlateNumber(2);
    robot->setCurrentCoordinate({5000, 6000, 7000});
    model->useCurrentCoordinateAsCustomPosition();
    ASSERT_TRUE(mainThread.pump().runUntil([&] { return model->selectedWell()->plateNumber == 0; },
                                           Dotfield::Testing::eventuallyLimit));
    EXPECT_EQ(model->coordinateText(), "(5000, 6000, 7000)");

    // No selection (-1) changes nothing.
    const auto before = model->selectedWell();
    model->changedPlateType(-1, 0, 0);
    model->changedRow(-1);
    EXPECT_EQ(model->selectedWell(), before);
}

TEST_F(SolutionWellsWindowModelTest, ReloadAmountsTimesAndCycles) {
    add();
    model->selectRow(0);
    const struct {
        const char* text;
        std::uint64_t spots;
    } spotCases[] = {{"2.5", 3}, {"2.4", 2}, {"-7", 0}, {"ink", 0}, {" 4 ", 4}, {"1e30", 0}, {"nan", 0}};
    for (const auto& c : spotCases) {
        model->changedDrawDistanceType(2, c.text);
        EXPECT_EQ(stored()[0].reloadQuantity, SolutionReloadQuantity(SolutionReloadQuantity::Spots{c.spots}))
            << c.text;
        model->updatedDrawDistance(c.text);
        EXPECT_EQ(stored()[0].reloadQuantity, SolutionReloadQuantity(SolutionReloadQuantity::Spots{c.spots}))
            << c.text;
    }
    EXPECT_TRUE(model->shouldEnableDistanceInput());
    model->changedDrawDistanceType(1, "250.5");
    EXPECT_EQ(stored()[0].reloadQuantity, SolutionReloadQuantity(SolutionReloadQuantity::Distance{250.5}));
    EXPECT_EQ(model->selectedWellControls()->reloadAmountText, "250.5");
    model->changedDrawDistanceType(0, "250.5");
    EXPECT_FALSE(model->shouldEnableDistanceInput());
    EXPECT_EQ(model->selectedWellControls()->reloadAmountText, std::nullopt) << "the field keeps its text";
    model->updatedDrawDistance("9");
    EXPECT_EQ(stored()[0].reloadQuantity, SolutionReloadQuantity(SolutionReloadQuantity::Unlimited{}));

    const struct {
        const char* text;
        std::uint64_t cycles;
    } cycleCases[] = {{"5", 5}, {"-1", 0}, {"2.5", 0}, {"+3", 0}, {"", 0}, {"18446744073709551616", 0}};
    for (const auto& c : cycleCases) {
        model->updatedRinseCycles(c.text);
        EXPECT_EQ(stored()[0].rinseCycles, c.cycles) << c.text;
    }

    model->updatedReloadLength("-4.5");
    model->updatedTimeToEmpty("seven");
    EXPECT_EQ(stored()[0].reloadTime, Zovudidova::seconds(-4.5));
    EXPECT_EQ(stored()[0].timeToEmpty, Zovudidova::seconds(0.0));
    EXPECT_EQ(model->selectedWellControls()->reloadTimeText, "-4.5");
    EXPECT_EQ(model->selectedWellControls()->timeToEmptyText, "0.0");
}

TEST_F(SolutionWellsWindowModelTest, RenamingCarriesTheReferencesAndTheRecord) {
    add();
    add();
    model->selectRow(1);
    model->changedWasteWell(1);
    model->changedRinseWell(1);
    model->setSolutionInDispenser("Well 1");

    EXPECT_EQ(model->renameSolutionWell(0, "Waste"), RenameResult::renamed);
    EXPECT_EQ(model->listOfRinseOrWasteWells(), (Strings{"Return to solution well", "Waste", "Well 2"}));
    EXPECT_EQ(stored()[1].wasteWell, "Waste");
    EXPECT_EQ(stored()[1].rinseWell, "Waste");
    EXPECT_EQ(model->selectedWellControls()->wasteWellIndex, 1);
    EXPECT_EQ(model->solutionInDispenser(), "Waste");
    EXPECT_EQ(store->stringForKey("solutionInDispenser"), "Waste");

    // Refused: empty, another well's name (also canonically equivalent).
    EXPECT_EQ(model->renameSolutionWell(0, ""), RenameResult::emptyName);
    EXPECT_EQ(model->renameSolutionWell(0, "Well 2"), RenameResult::nameTaken);
    EXPECT_EQ(model->renameSolutionWell(1, "Caf\u00e9"), RenameResult::renamed);
    EXPECT_EQ(model->renameSolutionWell(0, "Cafe\u0301"), RenameResult::nameTaken);
    EXPECT_EQ(stored()[0].name, "Waste");

    // Removing a well leaves references to it, which then name no well.
    model->selectRow(0);
    model->removeSelectedSolutionWell();
    EXPECT_EQ(stored()[0].wasteWell, "Waste");
    EXPECT_EQ(model->listOfRinseOrWasteWells(), (Strings{"Return to solution well", "Caf\u00e9"}));
}

TEST(WellNamesTest, CanonicallyEquivalentNamesAreEqualCaseIsNot) {
    EXPECT_TRUE(wellNamesEqual("Caf\u00e9", "Cafe\u0301"));
    EXPECT_TRUE(wellNamesEqual("Ink", "Ink"));
    EXPECT_FALSE(wellNamesEqual("Ink", "ink"));
    EXPECT_FALSE(wellNamesEqual("Ink", "Ink "));
    const std::vector<SolutionWell> wells{customWell("Caf\u00e9", {}), customWell("Cafe\u0301", {1, 1, 1})};
    EXPECT_EQ(solutionWell(wells, std::string("Cafe\u0301"))->location, wells[0].location)
        << "the first match";
    EXPECT_EQ(solutionWell(wells, std::nullopt), std::nullopt);
}

TEST_F(SolutionWellsWindowModelTest, ReadinessFollowsTheRobotWhileTheModelLives) {
    EXPECT_FALSE(model->robotReadyToMove());
    robot->notifyMovementFinished();
    EXPECT_TRUE(model->robotReadyToMove());
    robot->notifyMovementStarted();
    EXPECT_FALSE(model->robotReadyToMove());
    model.reset();
    robot->notifyMovementFinished();
}

TEST_F(SolutionWellsWindowModelTest, ARecordWrittenOnTheRobotQueueReachesTheWindowOnTheMainThread) {
    add();
    model->selectRow(0);
    changes.clear();
    model->loadWithSelectedSolution();
    ASSERT_TRUE(mainThread.pump().runUntil([&] { return model->solutionInDispenser() == "Well 1"; },
                                           Dotfield::Testing::eventuallyLimit));
    waitForRobotQueue();
    EXPECT_NE(std::find(changes.begin(), changes.end(), Change::solutionInDispenser), changes.end());
    EXPECT_EQ(model->solutionInDispenserText(), "Solution in dispenser: Well 1");
    EXPECT_TRUE(errors.empty());
}

} // namespace
} // namespace Dotfield::testing
