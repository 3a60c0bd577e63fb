// The solution wells window through its widgets, offscreen, on the simulated
// DropwrightIIb with the simulated electronics: each state grabbed to a PNG
// under screenshots/, and the loading, emptying and rinsing checked in the
// world the positioner moves and the dispenser sprays in.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellError.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellSettings.hpp"
#include "Dotfield/Printing/UI/SolutionWellsWindowController.hpp"
#include "Dotfield/tests/Support/SimulatedIIbWindowFixture.hpp"

namespace Dotfield::testing {
namespace {

using Simulators::WorldAxis;
using Simulators::WorldPoint;
using VeltranePatterns::Coordinate;
using Strings = std::vector<std::string>;

// µm per SmartMotor count of the IIb: positions read back to within this.
constexpr double countResolution = 2.5;
constexpr double safeHeight = 60000.0;
const Coordinate start(100000, 20000, 20000);

// Dwells and sprays at the world's rate, noting where the tip was and how long
// was asked for; the electronics' clock moves by the whole time.
class WorldRateRecordingSleeper final : public Sleeper {
  public:
    struct Sleep {
        WorldPoint tip;
        double seconds = 0.0;
    };

    WorldRateRecordingSleeper(std::shared_ptr<Simulators::InstrumentWorld> world,
                              std::shared_ptr<ManualClock> clock, double rate)
        : world_(std::move(world)), clock_(std::move(clock)), rate_(rate) {}

    using Sleeper::sleep;
    void sleep(Clock::Duration duration) override {
        {
            std::lock_guard lock(mutex_);
            sleeps_.push_back({world_->tipPosition(), std::chrono::duration<double>(duration).count()});
        }
        std::this_thread::sleep_for(std::chrono::duration_cast<Clock::Duration>(duration / rate_));
        clock_->advance(duration);
    }
    std::vector<Sleep> sleeps() const {
        std::lock_guard lock(mutex_);
        return sleeps_;
    }

  private:
    const std::shared_ptr<Simulators::InstrumentWorld> world_;
    const std::shared_ptr<ManualClock> clock_;
    const double rate_;
    mutable std::mutex mutex_;
    std::vector<Sleep> sleeps_;
};

SolutionWell custom(const std::string& name, const Coordinate& at, double reloadSeconds,
                    double emptySeconds) {
    return SolutionWell{name,
                        SolutionLocation::CustomLocation{at},
                        0,
                        SolutionReloadQuantity::Unlimited{},
                        Zovudidova::seconds(reloadSeconds),
                        0,
                        std::nullopt,
                        std::nullopt,
                        Zovudidova::seconds(emptySeconds)};
}

void expectAt(const WorldPoint& tip, const Coordinate& expected) {
    EXPECT_NEAR(tip.x, expected.x, countResolution);
    EXPECT_NEAR(tip.y, expected.y, countResolution);
    EXPECT_NEAR(tip.z, expected.z, countResolution);
}

class SolutionWellsWindow : public SimulatedIIbWindowFixture {
  protected:
    SolutionWellsWindow() { options.start = WorldPoint{start.x, start.y, start.z}; }

    void SetUp() override {
        SimulatedIIbWindowFixture::SetUp();
        sleeper = std::make_shared<WorldRateRecordingSleeper>(world, electronicsClock, worldRate);
        electronics = std::make_shared<Electronics>(store, ElectronicsTiming{electronicsClock, sleeper});
        electronics->setSerialPort(openPort(properties(SerialPortType::electronics)));
        electronics->setHardwareGeneration(ElectronicsHardwareGeneration::redesign2016);
        connectRobot();
    }
    void TearDown() override {
        if (robot) {
            waitForRobotQueue();
        }
        window.reset();
        SimulatedIIbWindowFixture::TearDown();
    }

    // (Re)makes the window from what the store holds now.
    void makeWindow() {
        window = std::make_unique<SolutionWellsWindowController>(store, sleeper);
        window->setErrorHandler(errorHandler());
        window->setRobot(robot);
        window->setElectronics(electronics);
        robot->notifyMovementFinished();
        window->resize(760, 560);
        window->show();
        QCoreApplication::processEvents();
    }
    void storeWells(const std::vector<SolutionWell>& wells,
                    std::optional<std::string> inDispenser = std::nullopt) {
        storeSolutionWells(*store, wells, "solutionWells");
        store->setString(inDispenser, "solutionInDispenser");
    }

    // Clicks a robot action and waits until the robot is idle again.
    void clickAndWait(QPushButton* button) {
        click(button);
        ASSERT_TRUE(waitUntil([this] { return window->robotReadyToMove(); }));
        waitForRobotQueue();
    }
    // Chooses the item with the keyboard, as the operator would.
    void choose(QComboBox* popup, int index) {
        ASSERT_TRUE(popup->isEnabled()) << popup->objectName().toStdString();
        ASSERT_LT(index, popup->count());
        popup->setFocus();
        while (popup->currentIndex() < index) {
            QTest::keyClick(popup, Qt::Key_Down);
        }
        while (popup->currentIndex() > index) {
            QTest::keyClick(popup, Qt::Key_Up);
        }
    }
    void enter(QLineEdit* field, const QString& text) {
        ASSERT_TRUE(field->isEnabled()) << field->objectName().toStdString();
        field->setFocus();
        field->selectAll();
        field->clear();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    void selectRow(int row) {
        QTableWidget* table = window->solutionWellTable();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualItemRect(table->item(row, 0)).center());
        ASSERT_EQ(window->model()->currentlySelectedRow(), static_cast<std::size_t>(row));
    }
    // The open editor of a name cell, if any.
    QLineEdit* nameEditor() const {
        for (auto* editor : window->solutionWellTable()->viewport()->findChildren<QLineEdit*>()) {
            if (editor->isVisible()) {
                return editor;
            }
        }
        return nullptr;
    }
    // Ends the edit with the key; the closed editor goes at once.
    void finishEdit(QLineEdit* editor, Qt::Key key) {
        QTest::keyClick(editor, key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    // Types the name into the name cell of the row and presses Return.
    void rename(int row, const QString& name) {
        QTableWidget* table = window->solutionWellTable();
        table->editItem(table->item(row, 0));
        QLineEdit* editor = nameEditor();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, name);
        finishEdit(editor, Qt::Key_Return);
    }
    void add() {
        const int rows = window->solutionWellTable()->rowCount();
        click(window->addButton());
        ASSERT_TRUE(waitUntil([&] { return window->solutionWellTable()->rowCount() == rows + 1; }));
        // Leave the name as it is.
        if (QLineEdit* editor = nameEditor()) {
            finishEdit(editor, Qt::Key_Escape);
        }
    }
    // Grabs the window and checks the label's text and that it is drawn.
    void screenshot(const std::string& name, QLabel* label, const std::string& text) {
        EXPECT_EQ(label->text().toStdString(), text);
        EXPECT_GT(saveScreenshot(*window, name, *label), 0) << name;
    }
    std::string dispenserLine() const { return window->solutionInDispenserTextField()->text().toStdString(); }
    std::string coordinate() const { return window->coordinateLabel()->text().toStdString(); }
    Strings items(QComboBox* popup) const {
        Strings list;
        for (int index = 0; index < popup->count(); ++index) {
            list.push_back(popup->itemText(index).toStdString());
        }
        return list;
    }
    template <typename Error> Error onlyError() {
        const auto errors = this->errors();
        EXPECT_EQ(errors.size(), 1u);
        try {
            if (!errors.empty()) {
                std::rethrow_exception(errors.front());
            }
        } catch (const Error& error) {
            return error;
        } catch (const std::exception& other) {
            ADD_FAILURE() << "another error: " << other.what();
        }
        throw std::logic_error("no error of that kind");
    }

    std::shared_ptr<ManualClock> electronicsClock = std::make_shared<ManualClock>();
    std::shared_ptr<WorldRateRecordingSleeper> sleeper;
    std::shared_ptr<Electronics> electronics;
    std::unique_ptr<SolutionWellsWindowController> window;
};

TEST_F(SolutionWellsWindow, AFreshStoreShowsNoWells) {
    makeWindow();
    EXPECT_EQ(window->solutionWellTable()->rowCount(), 0);
    EXPECT_EQ(items(window->wasteWellPopup()), Strings{"Return to solution well"});
    EXPECT_EQ(items(window->rinseWellPopup()), Strings{"Return to solution well"});
    EXPECT_FALSE(window->solutionHasBeenSelected());
    EXPECT_FALSE(window->plateTypePopup()->isEnabled());
    EXPECT_FALSE(window->loadButton()->isEnabled());
    EXPECT_TRUE(window->addButton()->isEnabled());
    screenshot("solution-wells-fresh", window->solutionInDispenserTextField(),
               "Solution in dispenser: (None)");
}

TEST_F(SolutionWellsWindow, AddTakesThePositionAfterTheMoveQueuedBeforeIt) {
    makeWindow();
    // A slow move of another part of the application, straight on the robot's
    // queue: it starts when the test lets it.
    std::promise<void> moveMayStart;
    robot->serialDispatchQueue().async([r = robot, go = moveMayStart.get_future().share()] {
        go.wait();
        r->moveToPosition({12000, 34000, 20000}, safeHeight);
    });
    click(window->addButton());
    bool served = false;
    QTimer::singleShot(0, [&] { served = true; });
    ASSERT_TRUE(waitUntil([&] { return served; })) << "the window serves events while the robot is busy";
    EXPECT_EQ(window->solutionWellTable()->rowCount(), 0);
    moveMayStart.set_value();
    ASSERT_TRUE(waitUntil([this] { return window->solutionWellTable()->rowCount() == 1; }));

    QTableWidget* table = window->solutionWellTable();
    EXPECT_EQ(table->item(0, 0)->text(), "Well 1");
    QLineEdit* editor = nameEditor();
    ASSERT_NE(editor, nullptr) << "the new name is being edited";
    EXPECT_EQ(editor->text(), "Well 1");
    EXPECT_EQ(editor->selectedText(), "Well 1");
    EXPECT_EQ(coordinate(), "(12000, 34000, 20000)");
    EXPECT_EQ(window->plateTypePopup()->currentIndex(), 0);
    EXPECT_FALSE(window->platePopup()->isEnabled());
    EXPECT_EQ(window->drawDistancePopup()->currentIndex(), 0);
    EXPECT_FALSE(window->drawDistanceTextField()->isEnabled());
    EXPECT_EQ(window->reloadLengthTextField()->text(), "10.0");
    EXPECT_EQ(window->timeToEmptyTextField()->text(), "20.0");
    EXPECT_EQ(window->rinseCyclesTextField()->text(), "3");
    EXPECT_EQ(window->wasteWellPopup()->currentIndex(), 0);
    EXPECT_EQ(items(window->rinseWellPopup()), (Strings{"Return to solution well", "Well 1"}));
    const auto stored = store->object("solutionWells");
    ASSERT_TRUE(stored && stored->holds<PropertyListValue::Array>());
    EXPECT_EQ(stored->as<PropertyListValue::Array>()->size(), 1u);
    const auto wells = storedSolutionWells(*store, "solutionWells");
    ASSERT_TRUE(wells && wells->size() == 1);
    EXPECT_EQ(wells->front().location,
              SolutionLocation(SolutionLocation::CustomLocation{{12000, 34000, 20000}}));
    EXPECT_EQ(wells->front().plateNumber, 0u);
    screenshot("solution-wells-added", window->coordinateLabel(), "(12000, 34000, 20000)");
    EXPECT_TRUE(errors().empty());
}

TEST_F(SolutionWellsWindow, PlateWellsAndSpotCounts) {
    makeWindow();
    add();
    choose(window->plateTypePopup(), 1);
    EXPECT_EQ(items(window->rowPopup()).size(), 12u);
    EXPECT_EQ(items(window->columnPopup()).back(), "H");
    EXPECT_EQ(window->rowPopup()->currentText(), "1");
    EXPECT_EQ(window->columnPopup()->currentText(), "A");
    EXPECT_EQ(coordinate(), "(0, 0, 100000)") << "A1 of plate 0";
    choose(window->rowPopup(), 11);
    choose(window->columnPopup(), 7);
    EXPECT_EQ(storedSolutionWells(*store, "solutionWells")->front().location,
              SolutionLocation(SolutionLocation::MicrotiterPlate96Well{12, "H"}));
    screenshot("solution-wells-96-well-h12", window->coordinateLabel(), "(-63000, 99000, 100000)");

    choose(window->drawDistancePopup(), 2);
    const struct {
        const char* typed;
        std::uint64_t spots;
    } cases[] = {{"2.5", 3}, {"2.4", 2}, {"-7", 0}, {"many", 0}, {"99999999999999999999999", 0}};
    for (const auto& c : cases) {
        enter(window->drawDistanceTextField(), c.typed);
        EXPECT_EQ(storedSolutionWells(*store, "solutionWells")->front().reloadQuantity,
                  SolutionReloadQuantity(SolutionReloadQuantity::Spots{c.spots}))
            << c.typed;
        EXPECT_EQ(window->drawDistanceTextField()->text().toStdString(), std::to_string(c.spots));
    }
    EXPECT_TRUE(errors().empty());
}

TEST_F(SolutionWellsWindow, APlateWellSwitchedToCustomKeepsItsPointAndLoadGoesThere) {
    makeWindow();
    clickAndWait(window->setA1Button());
    EXPECT_EQ(store->coordinate("storedA1WellLocation")->description(), start.description());
    add();
    choose(window->plateTypePopup(), 1);
    choose(window->rowPopup(), 4);
    choose(window->columnPopup(), 2);
    choose(window->platePopup(), 1);
    // C5 of plate 1: two letters towards −x, four rows and one plate pitch towards +y.
    const Coordinate c5(82000, 216060, 20000);
    EXPECT_EQ(coordinate(), c5.description());
    choose(window->plateTypePopup(), 0);
    EXPECT_EQ(coordinate(), c5.description());
    EXPECT_FALSE(window->platePopup()->isEnabled());
    const SolutionWell stored = storedSolutionWells(*store, "solutionWells")->front();
    EXPECT_EQ(stored.location, SolutionLocation(SolutionLocation::CustomLocation{c5}));
    EXPECT_EQ(stored.plateNumber, 0u);

    // Load with nothing in the dispenser: over the safe height to the well, a
    // dwell of its reload time there, and back.
    double highest = 0.0;
    click(window->loadButton());
    ASSERT_TRUE(waitUntil([&] {
        highest = std::max(highest, world->tipPosition().z);
        return window->robotReadyToMove();
    }));
    waitForRobotQueue();
    const auto sleeps = sleeper->sleeps();
    ASSERT_EQ(sleeps.size(), 1u);
    expectAt(sleeps[0].tip, c5);
    EXPECT_EQ(sleeps[0].seconds, 10.0);
    EXPECT_NEAR(highest, safeHeight, countResolution);
    expectAt(world->tipPosition(), start);
    EXPECT_TRUE(world->dispenserDrives().empty());
    EXPECT_EQ(store->stringForKey("solutionInDispenser"), "Well 1");
    screenshot("solution-wells-loaded", window->solutionInDispenserTextField(),
               "Solution in dispenser: Well 1");
    EXPECT_TRUE(errors().empty());
}

TEST_F(SolutionWellsWindow, RenamingAWasteWellKeepsItsUsersAndTheRecord) {
    makeWindow();
    add();
    add();
    selectRow(1);
    choose(window->wasteWellPopup(), 1);
    window->model()->setSolutionInDispenser("Well 1");
    rename(0, "Waste");
    EXPECT_EQ(window->solutionWellTable()->item(0, 0)->text(), "Waste");
    selectRow(1);
    EXPECT_EQ(window->wasteWellPopup()->currentIndex(), 1);
    EXPECT_EQ(window->wasteWellPopup()->currentText(), "Waste");
    EXPECT_EQ(storedSolutionWells(*store, "solutionWells")->at(1).wasteWell, "Waste");
    EXPECT_EQ(store->stringForKey("solutionInDispenser"), "Waste");

    // Another well's name is refused and the cell shows the old name again.
    rename(1, "Waste");
    ASSERT_TRUE(waitUntil([&] { return window->solutionWellTable()->item(1, 0)->text() == "Well 2"; }));
    EXPECT_EQ(storedSolutionWells(*store, "solutionWells")->at(1).name, "Well 2");
    screenshot("solution-wells-renamed", window->solutionInDispenserTextField(),
               "Solution in dispenser: Waste");
}

TEST_F(SolutionWellsWindow, LoadEmptiesTheOtherSolutionAtItsOwnWellFirst) {
    const Coordinate a(60000, 60000, 15000);
    const Coordinate b(90000, 40000, 16000);
    storeWells({custom("A", a, 1.0, 3.0), custom("B", b, 2.0, 5.0)}, "A");
    makeWindow();
    selectRow(1);
    clickAndWait(window->loadButton());
    const auto drives = world->dispenserDrives();
    ASSERT_EQ(drives.size(), 1u);
    expectAt(drives[0].tipPath.front(), a);
    EXPECT_EQ(drives[0].tipPath.size(), 1u) << "the tip stood still while spraying";
    EXPECT_GE(std::chrono::duration<double>(drives[0].duration()).count(), 3.0) << "A's time to empty";
    const auto sleeps = sleeper->sleeps();
    ASSERT_EQ(sleeps.size(), 2u);
    expectAt(sleeps[0].tip, a);
    EXPECT_EQ(sleeps[0].seconds, 3.0);
    expectAt(sleeps[1].tip, b);
    EXPECT_EQ(sleeps[1].seconds, 2.0);
    expectAt(world->tipPosition(), start);
    EXPECT_EQ(store->stringForKey("solutionInDispenser"), "B");
    EXPECT_EQ(dispenserLine(), "Solution in dispenser: B");
    EXPECT_TRUE(errors().empty());
}

TEST_F(SolutionWellsWindow, RinseVisitsWasteAndRinseWellsInTurn) {
    const Coordinate d(60000, 60000, 15000);
    const Coordinate w(30000, 80000, 12000);
    const Coordinate r(130000, 90000, 14000);
    SolutionWell solution = custom("D", d, 1.0, 20.0);
    solution.rinseCycles = 2;
    solution.wasteWell = "W";
    solution.rinseWell = "R";
    storeWells({solution, custom("W", w, 1.0, 1.0), custom("R", r, 10.0, 1.0)}, "D");
    makeWindow();
    clickAndWait(window->rinseButton());
    const auto sleeps = sleeper->sleeps();
    ASSERT_EQ(sleeps.size(), 5u);
    double total = 0.0;
    for (std::size_t index = 0; index < sleeps.size(); ++index) {
        SCOPED_TRACE(index);
        expectAt(sleeps[index].tip, index % 2 == 0 ? w : r);
        total += sleeps[index].seconds;
    }
    EXPECT_EQ(total, 80.0);
    const auto drives = world->dispenserDrives();
    ASSERT_EQ(drives.size(), 3u);
    for (const auto& drive : drives) {
        expectAt(drive.tipPath.front(), w);
    }
    expectAt(world->tipPosition(), start);
    EXPECT_EQ(store->stringForKey("solutionInDispenser"), std::nullopt);
    screenshot("solution-wells-rinsed", window->solutionInDispenserTextField(),
               "Solution in dispenser: (None)");
    EXPECT_TRUE(errors().empty());
}

TEST_F(SolutionWellsWindow, WhatMovesNothing) {
    const Coordinate a(60000, 60000, 15000);
    const Coordinate b(90000, 40000, 16000);
    storeWells({custom("A", a, 1.0, 3.0), custom("B", b, 2.0, 5.0)}, "gone");
    makeWindow();
    // Empty with a record naming no well: no motion, the setting cleared.
    clickAndWait(window->emptyButton());
    EXPECT_TRUE(sleeper->sleeps().empty());
    expectAt(world->tipPosition(), start);
    EXPECT_EQ(store->object("solutionInDispenser"), std::nullopt);

    // A change to the recorded solution returns at once: not even a speed command.
    window->model()->setSolutionInDispenser("A");
    bus->clearTranscript();
    robot->serialDispatchQueue().sync(
        [&] { window->model()->changeSolutionInDispenser(window->model()->solutionWells()[0], false); });
    EXPECT_TRUE(bus->transcript().empty());

    // A reload never empties.
    robot->serialDispatchQueue().sync(
        [&] { window->model()->changeSolutionInDispenser(window->model()->solutionWells()[1], true); });
    EXPECT_TRUE(world->dispenserDrives().empty());
    const auto sleeps = sleeper->sleeps();
    ASSERT_EQ(sleeps.size(), 1u);
    expectAt(sleeps[0].tip, b);
    expectAt(world->tipPosition(), start);
    EXPECT_EQ(store->stringForKey("solutionInDispenser"), "B");
    ASSERT_TRUE(waitUntil([this] { return dispenserLine() == "Solution in dispenser: B"; }));
}

TEST_F(SolutionWellsWindow, AWellOffItsPlateFailsBeforeAnyMotion) {
    SolutionWell offPlate = custom("Row zero", {}, 1.0, 1.0);
    offPlate.location = SolutionLocation::MicrotiterPlate96Well{0, "B"};
    storeWells({offPlate}, "Row zero");
    makeWindow();
    EXPECT_EQ(coordinate(), "No position on its plate");
    clickAndWait(window->loadButton());
    const auto error = onlyError<SolutionWellError>();
    EXPECT_EQ(error.wellName(), "Row zero");
    EXPECT_TRUE(sleeper->sleeps().empty());
    expectAt(world->tipPosition(), start);
    EXPECT_EQ(store->stringForKey("solutionInDispenser"), "Row zero");
}

TEST_F(SolutionWellsWindow, ASilentElectronicsPeerDuringASprayReachesTheErrorHandler) {
    const Coordinate a(60000, 60000, 15000);
    storeWells({custom("A", a, 1.0, 3.0), custom("B", {90000, 40000, 16000}, 2.0, 5.0)}, "A");
    makeWindow();
    selectRow(1);
    instrument->electronics()->goSilent();
    clickAndWait(window->loadButton());
    // The electronics turn a failed exchange into their own error, which names
    // the device to recover; it passes unchanged.
    onlyError<ElectronicsError>();
    expectAt(world->tipPosition(), a);
    EXPECT_EQ(store->stringForKey("solutionInDispenser"), "A");
    EXPECT_EQ(dispenserLine(), "Solution in dispenser: A");
}

} // namespace
} // namespace Dotfield::testing
