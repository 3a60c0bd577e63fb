// The saved positions on the simulated IIb, through their widget: Add reads
// the world's position on the robot's queue, renames and removals write the
// whole list, Go to hands the coordinate to the travel-height move.

#include <atomic>
#include <exception>
#include <vector>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include "Dotfield/Application/SavedPositionSettings.hpp"
#include "Dotfield/Application/UI/SavedPositionsController.hpp"
#include "Dotfield/Platform/Settings/PersistentDefaults.hpp"
#include "Dotfield/tests/Printing/UI/IIbInstrumentFixture.hpp"

namespace PrintControlTests {
namespace {

using Dotfield::SavedPosition;
using Dotfield::SavedPositionsController;
using VeltranePatterns::Coordinate;
using Dictionary = Dotfield::PropertyListValue::Dictionary;
using Array = Dotfield::PropertyListValue::Array;

class SavedPositions : public IIbInstrumentFixture {
  protected:
    void SetUp() override {
        IIbInstrumentFixture::SetUp();
        controller = std::make_unique<SavedPositionsController>();
        controller->resize(420, 260);
        giveCollaborators(*controller);
        controller->show();
    }
    void TearDown() override {
        controller.reset();
        IIbInstrumentFixture::TearDown();
    }

    // What the manual controls window hands over when it loads.
    void giveCollaborators(SavedPositionsController& target) {
        target.setUserDefaults(store);
        target.setSavedPositions(storedSavedPositions(*store, "savedPositions").value_or(std::vector<SavedPosition>{}));
        target.setMoveToNewPositionCommand([this](const Coordinate& coordinate) {
            auto robotOfMove = robot;
            robot->runOnRoboticsQueue([robotOfMove, coordinate] {
                robotOfMove->moveToPosition(coordinate, *robotOfMove->safePickupHeight());
            });
        });
        target.setRobot(robot);
        target.setErrorHandler([this](std::exception_ptr) { ++errorsHandled; });
    }

    void addAndWait(std::size_t expectedRows) {
        QTest::mouseClick(controller->addButton(), Qt::LeftButton);
        ASSERT_TRUE(pumpUntil([&] { return controller->savedPositions().size() == expectedRows; }));
        QApplication::processEvents();
    }

    // The editor of the row's name, when it is being edited.
    QLineEdit* nameEditor(int row) const {
        QTableView* table = controller->savedPositionsTable();
        return qobject_cast<QLineEdit*>(table->indexWidget(table->model()->index(row, 0)));
    }

    void selectRow(int row) { controller->savedPositionsTable()->selectRow(row); }

    static void expectNear(const Coordinate& actual, const Simulators::WorldPoint& expected) {
        EXPECT_NEAR(actual.x, expected.x, 2.5);
        EXPECT_NEAR(actual.y, expected.y, 2.5);
        EXPECT_NEAR(actual.z, expected.z, 2.5);
    }

    std::unique_ptr<SavedPositionsController> controller;
    std::atomic<int> errorsHandled{0};
};

TEST_F(SavedPositions, AddingTwiceGivesTwoUntitledRowsAtTheWorldsPositionWithTheNewNameInEdit) {
    addAndWait(1);
    addAndWait(2);

    const auto rows = controller->savedPositions();
    for (const SavedPosition& row : rows) {
        EXPECT_EQ(row.name, "Untitled");
        expectNear(row.coordinate, world->tipPosition());
    }
    EXPECT_EQ(storedSavedPositions(*store, "savedPositions"), rows);

    // The last row's name is being edited, its whole text selected; the
    // coordinate column shows whole microns.
    QTableView* table = controller->savedPositionsTable();
    EXPECT_EQ(table->currentIndex().row(), 1);
    EXPECT_EQ(table->currentIndex().column(), 0);
    EXPECT_EQ(nameEditor(0), nullptr);
    QLineEdit* editor = nameEditor(1);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->selectedText(), "Untitled");
    EXPECT_EQ(table->model()->index(0, 1).data().toString().toStdString(), rows[0].coordinate.description());
    // The new row shows selected in the grab.
    const QImage grab = grabToPNG(*controller, "SavedPositions");
    const QColor highlight = controller->palette().color(QPalette::Highlight);
    int highlighted = 0;
    for (int y = 0; y < grab.height(); ++y) {
        for (int x = 0; x < grab.width(); ++x) {
            highlighted += grab.pixelColor(x, y) == highlight ? 1 : 0;
        }
    }
    EXPECT_GT(highlighted, 500);
    EXPECT_EQ(errorsHandled, 0);
}

TEST_F(SavedPositions, ARenamePersistsIntoANewStoreOnTheFileAndCoordinatesCannotBeEdited) {
    const auto file = testFolder("SavedPositionsRename") / "settings.plist";
    auto persistent = std::make_shared<Dotfield::PersistentDefaults>(file);
    store = std::make_shared<Dotfield::UserDefaults>(Dotfield::UserDefaults::StandardDefaults{persistent});
    controller->setUserDefaults(store);

    addAndWait(1);
    QLineEdit* editor = nameEditor(0);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "Fiducial");
    QTest::keyClick(editor, Qt::Key_Return);
    // The delegate commits the edit from the event loop.
    QApplication::processEvents();
    EXPECT_EQ(controller->savedPositions().front().name, "Fiducial");

    // The coordinate column takes no edit.
    QAbstractItemModel* model = controller->savedPositionsTable()->model();
    EXPECT_FALSE(model->setData(model->index(0, 1), QStringLiteral("(1, 2, 3)"), Qt::EditRole));
    EXPECT_FALSE(model->flags(model->index(0, 1)).testFlag(Qt::ItemIsEditable));

    ASSERT_TRUE(persistent->flush());
    auto reopened = std::make_shared<Dotfield::UserDefaults>(
        Dotfield::UserDefaults::StandardDefaults{std::make_shared<Dotfield::PersistentDefaults>(file)});
    const auto stored = storedSavedPositions(*reopened, "savedPositions");
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->size(), 1U);
    EXPECT_EQ(stored->front().name, "Fiducial");
    expectNear(stored->front().coordinate, world->tipPosition());
}

TEST_F(SavedPositions, AnEntryThatDoesNotDecodeIsNotShownAndGoesAtTheNextWrite) {
    const Dictionary good{{"name", std::string("Corner")},
                          {"coordinate", Dictionary{{"x", 1.0}, {"y", 2.0}, {"z", 3.0}}}};
    const Dictionary noZ{{"name", std::string("Broken")}, {"coordinate", Dictionary{{"x", 1.0}, {"y", 2.0}}}};
    store->setObject("savedPositions", Dotfield::PropertyListValue(Array{noZ, good}));
    SavedPositionsController reloaded;
    giveCollaborators(reloaded);
    ASSERT_EQ(reloaded.savedPositions(), (std::vector<SavedPosition>{{"Corner", {1.0, 2.0, 3.0}}}));
    EXPECT_EQ(reloaded.savedPositionsTable()->model()->rowCount(), 1);

    reloaded.addNewSavedPosition();
    ASSERT_TRUE(pumpUntil([&] { return reloaded.savedPositions().size() == 2; }));
    const auto raw = store->object("savedPositions");
    ASSERT_TRUE(raw);
    ASSERT_EQ(raw->as<Array>()->size(), 2U);
    EXPECT_EQ(storedSavedPositions(*store, "savedPositions")->front().name, "Corner");
}

TEST_F(SavedPositions, RemoveAndGoToNeedAValidSelection) {
    storeSavedPositions(*store, std::vector<SavedPosition>{{"A", {20000.0, 30000.0, 50000.0}}, {"B", {1, 2, 3}}},
                             "savedPositions");
    giveCollaborators(*controller);
    std::vector<Coordinate> moves;
    controller->setMoveToNewPositionCommand([&](const Coordinate& coordinate) { moves.push_back(coordinate); });

    // Nothing selected: nothing written, nothing moved.
    store->setObject("savedPositions", std::nullopt);
    QTest::mouseClick(controller->removeButton(), Qt::LeftButton);
    QTest::mouseClick(controller->goToButton(), Qt::LeftButton);
    EXPECT_EQ(controller->savedPositions().size(), 2U);
    EXPECT_EQ(store->object("savedPositions"), std::nullopt);
    EXPECT_TRUE(moves.empty());

    selectRow(1);
    QTest::mouseClick(controller->goToButton(), Qt::LeftButton);
    ASSERT_EQ(moves.size(), 1U);
    EXPECT_EQ(moves.front(), (Coordinate{1, 2, 3}));

    // Remove while a name is being edited: the edit is dropped, the row goes.
    controller->savedPositionsTable()->edit(controller->savedPositionsTable()->model()->index(1, 0));
    ASSERT_NE(nameEditor(1), nullptr);
    QTest::keyClicks(nameEditor(1), "Renamed");
    QTest::mouseClick(controller->removeButton(), Qt::LeftButton);
    EXPECT_EQ(controller->savedPositions(), (std::vector<SavedPosition>{{"A", {20000.0, 30000.0, 50000.0}}}));
    EXPECT_EQ(storedSavedPositions(*store, "savedPositions"), controller->savedPositions());
}

TEST_F(SavedPositions, GoToRisesToTheTravelHeightFirst) {
    storeSavedPositions(*store, std::vector<SavedPosition>{{"Well", {20000.0, 30000.0, 50000.0}}}, "savedPositions");
    giveCollaborators(*controller);
    robot->setSafePickupHeight(80000.0);
    std::vector<Coordinate> legs;
    std::mutex legsMutex;
    robot->setCoordinateUpdateObserver([&](const Coordinate& at) {
        std::lock_guard lock(legsMutex);
        legs.push_back(at);
    });

    selectRow(0);
    QTest::mouseClick(controller->goToButton(), Qt::LeftButton);
    waitForRobotQueue();

    std::lock_guard lock(legsMutex);
    ASSERT_GE(legs.size(), 2U);
    EXPECT_NEAR(legs.front().z, 80000.0, 2.5);
    EXPECT_NEAR(legs.front().x, 10000.0, 2.5);
    expectNear(legs.back(), {20000.0, 30000.0, 50000.0});
    expectNear(robot->readCurrentPosition(), world->tipPosition());
}

TEST_F(SavedPositions, ASilentPositionerGivesOneHandledErrorAndNoRow) {
    bus->goSilent();
    QTest::mouseClick(controller->addButton(), Qt::LeftButton);
    ASSERT_TRUE(pumpUntil([&] { return errorsHandled.load() > 0; }));
    waitForRobotQueue();
    EXPECT_EQ(errorsHandled, 1);
    EXPECT_TRUE(controller->savedPositions().empty());
    EXPECT_EQ(store->object("savedPositions"), std::nullopt);
}

TEST_F(SavedPositions, AddDuringALongMoveTakesThePositionAfterItWhileTheMainThreadServesEvents) {
    const Coordinate target{120000.0, 100000.0, 60000.0};
    auto robotOfMove = robot;
    robot->runOnRoboticsQueue([robotOfMove, target] { robotOfMove->moveToPosition(target); });
    QTest::mouseClick(controller->addButton(), Qt::LeftButton);

    // The click has returned while the positioner still travels; main-thread
    // work posted now runs before the row arrives.
    std::atomic<bool> servedMeanwhile{false};
    Dotfield::MainQueue::main().async([&] { servedMeanwhile = controller->savedPositions().empty(); });
    EXPECT_TRUE(controller->savedPositions().empty());
    ASSERT_TRUE(pumpUntil([&] { return controller->savedPositions().size() == 1; }));
    EXPECT_TRUE(servedMeanwhile);
    expectNear(controller->savedPositions().front().coordinate, {target.x, target.y, target.z});
}

} // namespace
} // namespace PrintControlTests
