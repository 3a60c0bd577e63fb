#pragma once
// What the solution wells window knows and does, without its widgets: the
// wells (kept under "solutionWells", the whole list written after every
// change), the position of well A1 of plate 0 ("storedA1WellLocation",
// (0, 0, 100000) when missing), the record of the solution in the dispenser
// ("solutionInDispenser"), the selected well, the four flags that enable the
// window's controls, the item lists of its row, column, rinse-well and
// waste-well pop-ups, every editing rule of the window, and the Load, Empty
// and Rinse sequences it queues on the robot.
//
// The window tells the model what the operator did (pop-up indices, typed
// text) and asks it what to show; the observer learns which shown thing
// changed.
//
// Threads: the main thread for everything but the sequences. The sequences
// run on the robot's queue (the window's actions queue them there); they copy
// the wells and the A1 position under the lock when they start, and the
// record of the solution in the dispenser is locked on its own. The observer
// is told on the main thread.

#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionInDispenserRecord.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWell.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellEditing.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellList.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellSpraying.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class Electronics;
class Robot;
class UserDefaults;

class SolutionWellsWindowModel : public std::enable_shared_from_this<SolutionWellsWindowModel> {
  public:
    using ErrorHandler = std::function<void(std::exception_ptr)>;
    using Coordinate = VeltranePatterns::Coordinate;

    static constexpr const char* solutionWellsKey = "solutionWells";
    static constexpr const char* storedA1WellLocationKey = "storedA1WellLocation";
    static constexpr Coordinate defaultA1WellPosition{0.0, 0.0, 100000.0};

    // What the model tells its observer has changed.
    enum class Change {
        solutionHasBeenSelected,
        shouldEnableDistanceInput,
        shouldEnableMicrotiterPlateOptions,
        robotReadyToMove,
        // The row and column pop-ups' items.
        plateLabels,
        // The rinse-well and waste-well pop-ups' items.
        listOfRinseOrWasteWells,
        // The list of wells (the table).
        solutionWells,
        solutionInDispenser,
        // The position shown for the selected well.
        coordinate,
    };
    using Observer = std::function<void(Change)>;

    // What the controls of the selected well show. Empty fields leave their
    // control as it is (a custom well's row, column and plate; an unlimited
    // reload's amount).
    struct SelectedWellControls {
        PlateTypeIndex plateType = PlateTypeIndex::custom;
        std::optional<int> rowIndex;
        std::optional<int> columnIndex;
        std::optional<int> plateIndex;
        ReloadKindIndex reloadKind = ReloadKindIndex::unlimited;
        std::optional<std::string> reloadAmountText;
        std::string reloadTimeText;
        std::string timeToEmptyText;
        std::string rinseCyclesText;
        int wasteWellIndex = 0;
        int rinseWellIndex = 0;
    };

    // Reads the wells, the A1 position and the record; writes nothing. The
    // sleeper times the dwells of the sequences.
    static std::shared_ptr<SolutionWellsWindowModel> make(std::shared_ptr<UserDefaults> userDefaults,
                                                          std::shared_ptr<Sleeper> sleeper = systemSleeper());
    SolutionWellsWindowModel(const SolutionWellsWindowModel&) = delete;
    SolutionWellsWindowModel& operator=(const SolutionWellsWindowModel&) = delete;

    // ---- Collaborators ----------------------------------------------------------------

    const std::shared_ptr<Robot>& robot() const { return robot_; }
    // Registers the readiness observer with the robot.
    void setRobot(std::shared_ptr<Robot> robot);
    const std::shared_ptr<Electronics>& electronics() const { return electronics_; }
    void setElectronics(std::shared_ptr<Electronics> electronics);
    // Replaces the electronics' spray (tests).
    void setSpray(WellSpray spray);
    void setErrorHandler(ErrorHandler handler);
    void setObserver(Observer observer);
    // Appends an observer to the robot's movement-completion observers that
    // holds the model weakly and sets robotReadyToMove to the opposite of busy.
    void registerRobotCallbacks();

    // ---- State ---------------------------------------------------------------------------

    std::vector<SolutionWell> solutionWells() const;
    // A copy of the first well of that name; any thread.
    std::optional<SolutionWell> solutionWellNamed(const std::optional<std::string>& name) const;
    Coordinate a1WellPosition() const;
    std::optional<std::size_t> currentlySelectedRow() const { return currentlySelectedRow_; }
    std::optional<SolutionWell> selectedWell() const;

    bool solutionHasBeenSelected() const { return solutionHasBeenSelected_; }
    bool shouldEnableDistanceInput() const { return shouldEnableDistanceInput_; }
    bool shouldEnableMicrotiterPlateOptions() const { return shouldEnableMicrotiterPlateOptions_; }
    bool robotReadyToMove() const { return robotReadyToMove_; }
    void setRobotReadyToMove(bool ready);

    const std::vector<std::string>& columnLabels() const { return *columnLabels_; }
    const std::vector<std::string>& rowLabels() const { return *rowLabels_; }
    const std::vector<std::string>& listOfRinseOrWasteWells() const { return listOfRinseOrWasteWells_; }

    // Any thread.
    std::optional<std::string> solutionInDispenser() const { return record_.name(); }
    // Records and stores the name (none clears the setting).
    void setSolutionInDispenser(std::optional<std::string> name);
    // "Solution in dispenser: (None)" or "Solution in dispenser: " and the name.
    std::string solutionInDispenserText() const;
    // The description of the selected well's deck position; nothing without a
    // selected well or a robot. A plate well outside its plate: "No position
    // on its plate".
    std::optional<std::string> coordinateText() const;
    std::optional<SelectedWellControls> selectedWellControls() const;

    // ---- Selection ---------------------------------------------------------------------

    // The window's load: the first well selected, when there is one.
    void windowDidLoad();
    // A row outside the list (-1: none) selects nothing.
    void selectRow(int row);

    // ---- Editing the selected well (each stores the whole list) ------------------------

    void changedPlateType(int typeIndex, int rowIndex, int columnIndex);
    void changedPlateNumber(int plateIndex);
    void changedRow(int rowIndex);
    void changedColumn(int columnIndex);
    void changedDrawDistanceType(int reloadKindIndex, std::string_view amountText);
    void updatedDrawDistance(std::string_view amountText);
    void updatedReloadLength(std::string_view text);
    void updatedTimeToEmpty(std::string_view text);
    void updatedRinseCycles(std::string_view text);
    void changedWasteWell(int index);
    void changedRinseWell(int index);
    // Renames well `row`, its references in other wells and the record; an
    // empty name or another well's name is refused (nothing changes).
    RenameResult renameSolutionWell(int row, const std::string& name);

    // ---- Actions reading the robot's position ------------------------------------------
    // The position is read on the robot's queue, after the work queued before;
    // the result is applied on the main thread, a failure goes to the error
    // handler and changes nothing.

    // Appends a custom well at the position and calls `added` with its row.
    void addNewSolutionWell(std::function<void(std::size_t row)> added = nullptr);
    void removeSelectedSolutionWell();
    void useCurrentCoordinateAsCustomPosition();
    void setA1WellPosition();

    // ---- Sequences -----------------------------------------------------------------------

    // Queued on the robot; errors go to the error handler.
    void loadWithSelectedSolution();
    void emptyDispenser();
    void rinse();
    // Run on the caller's thread; throw. Load reads the selection: main thread.
    void loadWithSelectedSolutionNow();
    void emptyDispenserNow();
    void rinseNow();
    // The printing engine's solution change; throws.
    void changeSolutionInDispenser(const SolutionWell& well, bool reloading);

  private:
    SolutionWellsWindowModel(std::shared_ptr<UserDefaults> userDefaults, std::shared_ptr<Sleeper> sleeper);

    void notify(Change change) const;
    void setFlag(bool& flag, bool value, Change change);
    void setPlateLabels(const std::vector<std::string>& columns, const std::vector<std::string>& rows);
    void showLocationKind(const SolutionLocation& location);
    // Applies the edit to the selected well, then stores the list.
    template <typename Edit> void editSelectedWell(Edit&& edit);
    void replaceWells(std::vector<SolutionWell> wells);
    void storeWells();
    // Reads the position on the robot's queue and hands it to `use` on the main thread.
    void readPosition(std::function<void(SolutionWellsWindowModel&, const Coordinate&)> use);
    // Runs `body` with the sequences over the wells as they are now (no robot: nothing).
    template <typename Body> void withSequences(Body&& body);
    // Runs the body; an error it throws goes to the error handler.
    template <typename Body> void runReportingErrors(Body&& body);
    // The same on the robot's queue, after the work queued before.
    template <typename Body> void queueReportingErrors(Body&& body);

    const std::shared_ptr<UserDefaults> userDefaults_;
    const std::shared_ptr<Sleeper> sleeper_;
    std::shared_ptr<Robot> robot_;
    std::shared_ptr<Electronics> electronics_;
    WellSpray spray_;
    ErrorHandler errorHandler_;
    Observer observer_;

    // Written on the main thread under the lock; read by the sequences under it.
    mutable std::mutex mutex_;
    std::vector<SolutionWell> solutionWells_;
    Coordinate a1WellPosition_;

    SolutionInDispenserRecord record_;
    std::optional<std::size_t> currentlySelectedRow_;
    bool solutionHasBeenSelected_ = false;
    bool shouldEnableDistanceInput_ = false;
    bool shouldEnableMicrotiterPlateOptions_ = false;
    bool robotReadyToMove_ = false;
    const std::vector<std::string>* columnLabels_;
    const std::vector<std::string>* rowLabels_;
    std::vector<std::string> listOfRinseOrWasteWells_;
};

} // namespace Dotfield
