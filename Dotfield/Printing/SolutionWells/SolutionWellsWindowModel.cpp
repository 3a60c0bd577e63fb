#include "Dotfield/Printing/SolutionWells/SolutionWellsWindowModel.hpp"

#include <climits>

#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Printing/SolutionWells/MicrotiterPlates.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellPosition.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellSequences.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellSettings.hpp"
#include "Dotfield/Robotics/PositionReading.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"
#include "Diagnostics/ProgramStop.hpp"

namespace Dotfield {

using Zovudidova::TimeUnit;

namespace {

// The row, column and plate pop-ups' items for a kind of location.
const MicrotiterPlate* plateOf(const SolutionLocation& location) {
    switch (plateTypeIndex(location)) {
    case PlateTypeIndex::wells96:
        return &MicrotiterPlate::wells96();
    case PlateTypeIndex::wells384:
        return &MicrotiterPlate::wells384();
    default:
        return nullptr;
    }
}

} // namespace

std::shared_ptr<SolutionWellsWindowModel>
SolutionWellsWindowModel::make(std::shared_ptr<UserDefaults> userDefaults, std::shared_ptr<Sleeper> sleeper) {
    auto model = std::shared_ptr<SolutionWellsWindowModel>(
        new SolutionWellsWindowModel(std::move(userDefaults), std::move(sleeper)));
    // The record changes on the robot's queue too; the window hears of it on the main thread.
    model->record_.setObserver([weak = model->weak_from_this()] {
        const auto tell = [weak] {
            if (const auto self = weak.lock()) {
                self->notify(Change::solutionInDispenser);
            }
        };
        if (MainQueue::main().isCurrent()) {
            tell();
        } else {
            MainQueue::main().async(tell);
        }
    });
    return model;
}

SolutionWellsWindowModel::SolutionWellsWindowModel(std::shared_ptr<UserDefaults> userDefaults,
                                                   std::shared_ptr<Sleeper> sleeper)
    : userDefaults_(std::move(userDefaults)), sleeper_(std::move(sleeper)),
      solutionWells_(storedSolutionWells(*userDefaults_, solutionWellsKey).value_or(std::vector<SolutionWell>{})),
      a1WellPosition_(userDefaults_->coordinate(storedA1WellLocationKey).value_or(defaultA1WellPosition)),
      record_(userDefaults_), columnLabels_(&customLocationLabels()), rowLabels_(&customLocationLabels()),
      listOfRinseOrWasteWells_(Dotfield::listOfRinseOrWasteWells(solutionWells_)) {}

// ---- Collaborators --------------------------------------------------------------------------

void SolutionWellsWindowModel::setRobot(std::shared_ptr<Robot> robot) {
    robot_ = std::move(robot);
    if (robot_) {
        registerRobotCallbacks();
    }
}

void SolutionWellsWindowModel::registerRobotCallbacks() {
    if (!robot_) {
        return;
    }
    // The robot tells its observers on the main thread.
    robot_->addObserverForMovementCompletion([weak = weak_from_this()](bool busy) {
        if (const auto self = weak.lock()) {
            self->setRobotReadyToMove(!busy);
        }
    });
}

void SolutionWellsWindowModel::setElectronics(std::shared_ptr<Electronics> electronics) {
    electronics_ = std::move(electronics);
}

void SolutionWellsWindowModel::setSpray(WellSpray spray) {
    spray_ = std::move(spray);
}

void SolutionWellsWindowModel::setErrorHandler(ErrorHandler handler) {
    errorHandler_ = std::move(handler);
}

void SolutionWellsWindowModel::setObserver(Observer observer) {
    observer_ = std::move(observer);
}

void SolutionWellsWindowModel::notify(Change change) const {
    if (observer_) {
        observer_(change);
    }
}

// ---- State ------------------------------------------------------------------------------------

std::vector<SolutionWell> SolutionWellsWindowModel::solutionWells() const {
    std::lock_guard lock(mutex_);
    return solutionWells_;
}

std::optional<SolutionWell>
SolutionWellsWindowModel::solutionWellNamed(const std::optional<std::string>& name) const {
    std::lock_guard lock(mutex_);
    return solutionWell(solutionWells_, name);
}

SolutionWellsWindowModel::Coordinate SolutionWellsWindowModel::a1WellPosition() const {
    std::lock_guard lock(mutex_);
    return a1WellPosition_;
}

std::optional<SolutionWell> SolutionWellsWindowModel::selectedWell() const {
    // The main thread is the only writer: no lock needed to read here.
    if (!currentlySelectedRow_ || *currentlySelectedRow_ >= solutionWells_.size()) {
        return std::nullopt;
    }
    return solutionWells_[*currentlySelectedRow_];
}

void SolutionWellsWindowModel::setFlag(bool& flag, bool value, Change change) {
    if (flag != value) {
        flag = value;
        notify(change);
    }
}

void SolutionWellsWindowModel::setRobotReadyToMove(bool ready) {
    setFlag(robotReadyToMove_, ready, Change::robotReadyToMove);
}

void SolutionWellsWindowModel::setSolutionInDispenser(std::optional<std::string> name) {
    record_.set(std::move(name));
}

std::string SolutionWellsWindowModel::solutionInDispenserText() const {
    const auto name = record_.name();
    return "Solution in dispenser: " + (name ? *name : std::string("(None)"));
}

std::optional<std::string> SolutionWellsWindowModel::coordinateText() const {
    const auto well = selectedWell();
    if (!well || !robot_) {
        return std::nullopt;
    }
    const auto position = deckPosition(*well, a1WellPosition_, *robot_);
    return position ? position->description() : std::string("No position on its plate");
}

std::optional<SolutionWellsWindowModel::SelectedWellControls>
SolutionWellsWindowModel::selectedWellControls() const {
    const auto well = selectedWell();
    if (!well) {
        return std::nullopt;
    }
    SelectedWellControls controls;
    controls.plateType = plateTypeIndex(well->location);
    if (const MicrotiterPlate* plate = plateOf(well->location)) {
        std::visit(
            [&](const auto& location) {
                if constexpr (!std::is_same_v<std::decay_t<decltype(location)>,
                                              SolutionLocation::CustomLocation>) {
                    // A stored well outside its plate shows no row or column.
                    const bool rowOnPlate = location.row >= 1 && location.row <= plate->rowLabels.size();
                    const std::ptrdiff_t letter = MicrotiterPlate::letterIndex(location.column);
                    const bool letterOnPlate =
                        letter >= 0 && static_cast<std::size_t>(letter) < plate->columnLabels.size();
                    controls.rowIndex = rowOnPlate ? static_cast<int>(location.row - 1) : -1;
                    controls.columnIndex = letterOnPlate ? static_cast<int>(letter) : -1;
                }
            },
            well->location.location());
        controls.plateIndex = static_cast<int>(std::min<std::uint64_t>(well->plateNumber, INT_MAX));
    }
    controls.reloadKind = reloadKindIndex(well->reloadQuantity);
    std::visit(
        [&](const auto& quantity) {
            using T = std::decay_t<decltype(quantity)>;
            if constexpr (std::is_same_v<T, SolutionReloadQuantity::Distance>) {
                controls.reloadAmountText = numberText(quantity.microns);
            } else if constexpr (std::is_same_v<T, SolutionReloadQuantity::Spots>) {
                controls.reloadAmountText = std::to_string(quantity.spots);
            }
        },
        well->reloadQuantity.quantity());
    controls.reloadTimeText = numberText(well->reloadTime.value(TimeUnit::seconds));
    controls.timeToEmptyText = numberText(well->timeToEmpty.value(TimeUnit::seconds));
    controls.rinseCyclesText = std::to_string(well->rinseCycles);
    controls.wasteWellIndex = rinseOrWasteIndex(listOfRinseOrWasteWells_, well->wasteWell);
    controls.rinseWellIndex = rinseOrWasteIndex(listOfRinseOrWasteWells_, well->rinseWell);
    return controls;
}

// ---- Selection ----------------------------------------------------------------------------------

void SolutionWellsWindowModel::windowDidLoad() {
    selectRow(solutionWells_.empty() ? -1 : 0);
}

void SolutionWellsWindowModel::selectRow(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= solutionWells_.size()) {
        currentlySelectedRow_.reset();
        setFlag(solutionHasBeenSelected_, false, Change::solutionHasBeenSelected);
        return;
    }
    currentlySelectedRow_ = static_cast<std::size_t>(row);
    const SolutionWell& well = solutionWells_[*currentlySelectedRow_];
    setFlag(solutionHasBeenSelected_, true, Change::solutionHasBeenSelected);
    showLocationKind(well.location);
    setFlag(shouldEnableDistanceInput_, reloadKindIndex(well.reloadQuantity) != ReloadKindIndex::unlimited,
            Change::shouldEnableDistanceInput);
    notify(Change::coordinate);
}

void SolutionWellsWindowModel::setPlateLabels(const std::vector<std::string>& columns,
                                              const std::vector<std::string>& rows) {
    if (columnLabels_ != &columns || rowLabels_ != &rows) {
        columnLabels_ = &columns;
        rowLabels_ = &rows;
        notify(Change::plateLabels);
    }
}

void SolutionWellsWindowModel::showLocationKind(const SolutionLocation& location) {
    if (const MicrotiterPlate* plate = plateOf(location)) {
        setPlateLabels(plate->columnLabels, plate->rowLabels);
        setFlag(shouldEnableMicrotiterPlateOptions_, true, Change::shouldEnableMicrotiterPlateOptions);
    } else {
        setPlateLabels(customLocationLabels(), customLocationLabels());
        setFlag(shouldEnableMicrotiterPlateOptions_, false, Change::shouldEnableMicrotiterPlateOptions);
    }
}

// ---- Editing ---------------------------------------------------------------------------------------

void SolutionWellsWindowModel::storeWells() {
    storeSolutionWells(*userDefaults_, solutionWells_, solutionWellsKey);
}

template <typename Edit> void SolutionWellsWindowModel::editSelectedWell(Edit&& edit) {
    if (!currentlySelectedRow_ || *currentlySelectedRow_ >= solutionWells_.size()) {
        return;
    }
    SolutionWell well = solutionWells_[*currentlySelectedRow_];
    edit(well);
    {
        std::lock_guard lock(mutex_);
        solutionWells_[*currentlySelectedRow_] = std::move(well);
    }
    storeWells();
    notify(Change::coordinate);
}

void SolutionWellsWindowModel::changedPlateType(int typeIndex, int rowIndex, int columnIndex) {
    if (typeIndex < 0) {
        return;
    }
    if (typeIndex > static_cast<int>(PlateTypeIndex::wells384)) {
        Diagnostics::stopProgram("Shouldn't be able to select a fourth option for plate type");
    }
    const auto kind = static_cast<PlateTypeIndex>(typeIndex);
    editSelectedWell([&](SolutionWell& well) {
        if (kind == PlateTypeIndex::custom) {
            // The well stays where it is on the deck: its position, plate
            // offset included, becomes a custom location on plate 0.
            if (plateTypeIndex(well.location) == PlateTypeIndex::custom || !robot_) {
                return;
            }
            const auto position = deckPosition(well, a1WellPosition_, *robot_);
            if (!position) {
                return;
            }
            well.location = SolutionLocation::CustomLocation{*position};
            well.plateNumber = 0;
        } else {
            well.location = plateLocation(kind, rowIndex, columnIndex);
        }
    });
    if (const auto well = selectedWell()) {
        showLocationKind(well->location);
    }
}

void SolutionWellsWindowModel::changedPlateNumber(int plateIndex) {
    if (plateIndex < 0) {
        return;
    }
    editSelectedWell([&](SolutionWell& well) { well.plateNumber = static_cast<std::uint64_t>(plateIndex); });
}

void SolutionWellsWindowModel::changedRow(int rowIndex) {
    if (rowIndex < 0) {
        return;
    }
    editSelectedWell([&](SolutionWell& well) {
        std::visit(
            [&](auto location) {
                if constexpr (!std::is_same_v<decltype(location), SolutionLocation::CustomLocation>) {
                    location.row = static_cast<std::uint64_t>(rowIndex) + 1;
                    well.location = location;
                }
            },
            well.location.location());
    });
}

void SolutionWellsWindowModel::changedColumn(int columnIndex) {
    if (columnIndex < 0) {
        return;
    }
    editSelectedWell([&](SolutionWell& well) {
        const MicrotiterPlate* plate = plateOf(well.location);
        if (plate == nullptr || static_cast<std::size_t>(columnIndex) >= plate->columnLabels.size()) {
            return;
        }
        std::visit(
            [&](auto location) {
                if constexpr (!std::is_same_v<decltype(location), SolutionLocation::CustomLocation>) {
                    location.column = plate->columnLabels[static_cast<std::size_t>(columnIndex)];
                    well.location = location;
                }
            },
            well.location.location());
    });
}

void SolutionWellsWindowModel::changedDrawDistanceType(int kindIndex, std::string_view amountText) {
    if (kindIndex < 0) {
        return;
    }
    if (kindIndex > static_cast<int>(ReloadKindIndex::spots)) {
        Diagnostics::stopProgram("Shouldn't be able to select a fourth option for draw distance");
    }
    const auto kind = static_cast<ReloadKindIndex>(kindIndex);
    editSelectedWell([&](SolutionWell& well) {
        switch (kind) {
        case ReloadKindIndex::unlimited:
            well.reloadQuantity = SolutionReloadQuantity::Unlimited{};
            break;
        case ReloadKindIndex::distance:
            well.reloadQuantity = SolutionReloadQuantity::Distance{reloadAmountFromText(amountText)};
            break;
        case ReloadKindIndex::spots:
            well.reloadQuantity = SolutionReloadQuantity::Spots{spotsFromText(amountText)};
            break;
        }
    });
    if (currentlySelectedRow_) {
        setFlag(shouldEnableDistanceInput_, kind != ReloadKindIndex::unlimited,
                Change::shouldEnableDistanceInput);
    }
}

void SolutionWellsWindowModel::updatedDrawDistance(std::string_view amountText) {
    editSelectedWell([&](SolutionWell& well) {
        switch (reloadKindIndex(well.reloadQuantity)) {
        case ReloadKindIndex::distance:
            well.reloadQuantity = SolutionReloadQuantity::Distance{reloadAmountFromText(amountText)};
            break;
        case ReloadKindIndex::spots:
            well.reloadQuantity = SolutionReloadQuantity::Spots{spotsFromText(amountText)};
            break;
        case ReloadKindIndex::unlimited:
            break;
        }
    });
}

void SolutionWellsWindowModel::updatedReloadLength(std::string_view text) {
    editSelectedWell(
        [&](SolutionWell& well) { well.reloadTime = Zovudidova::seconds(numberFromText(text)); });
}

void SolutionWellsWindowModel::updatedTimeToEmpty(std::string_view text) {
    editSelectedWell(
        [&](SolutionWell& well) { well.timeToEmpty = Zovudidova::seconds(numberFromText(text)); });
}

void SolutionWellsWindowModel::updatedRinseCycles(std::string_view text) {
    editSelectedWell([&](SolutionWell& well) { well.rinseCycles = rinseCyclesFromText(text); });
}

void SolutionWellsWindowModel::changedWasteWell(int index) {
    if (index < 0) {
        return;
    }
    editSelectedWell([&](SolutionWell& well) {
        well.wasteWell =
            index == 0 || static_cast<std::size_t>(index) >= listOfRinseOrWasteWells_.size()
                ? std::nullopt
                : std::optional<std::string>(listOfRinseOrWasteWells_[static_cast<std::size_t>(index)]);
    });
}

void SolutionWellsWindowModel::changedRinseWell(int index) {
    if (index < 0) {
        return;
    }
    editSelectedWell([&](SolutionWell& well) {
        well.rinseWell =
            index == 0 || static_cast<std::size_t>(index) >= listOfRinseOrWasteWells_.size()
                ? std::nullopt
                : std::optional<std::string>(listOfRinseOrWasteWells_[static_cast<std::size_t>(index)]);
    });
}

void SolutionWellsWindowModel::replaceWells(std::vector<SolutionWell> wells) {
    {
        std::lock_guard lock(mutex_);
        solutionWells_ = std::move(wells);
    }
    listOfRinseOrWasteWells_ = Dotfield::listOfRinseOrWasteWells(solutionWells_);
    storeWells();
    notify(Change::solutionWells);
    notify(Change::listOfRinseOrWasteWells);
}

RenameResult SolutionWellsWindowModel::renameSolutionWell(int row, const std::string& name) {
    if (row < 0 || static_cast<std::size_t>(row) >= solutionWells_.size()) {
        return RenameResult::unchanged;
    }
    std::vector<SolutionWell> wells = solutionWells_;
    const std::string oldName = wells[static_cast<std::size_t>(row)].name;
    const RenameResult result = Dotfield::renameSolutionWell(wells, static_cast<std::size_t>(row), name);
    if (result != RenameResult::renamed) {
        return result;
    }
    const bool oldNameLeft = solutionWell(wells, oldName).has_value();
    replaceWells(std::move(wells));
    if (!oldNameLeft) {
        record_.rename(oldName, name);
    }
    return result;
}

// ---- Actions reading the robot's position ------------------------------------------------------------

void SolutionWellsWindowModel::readPosition(
    std::function<void(SolutionWellsWindowModel&, const Coordinate&)> use) {
    if (!robot_) {
        return;
    }
    readPositionForModel<SolutionWellsWindowModel>(*robot_, weak_from_this(), &SolutionWellsWindowModel::errorHandler_,
                                                   "Reading the position for the solution wells failed",
                                                   std::move(use));
}

void SolutionWellsWindowModel::addNewSolutionWell(std::function<void(std::size_t row)> added) {
    readPosition([then = std::move(added)](SolutionWellsWindowModel& self, const Coordinate& position) {
        std::vector<SolutionWell> wells = self.solutionWells_;
        wells.push_back(SolutionWell{nameForNewWell(wells), SolutionLocation::CustomLocation{position}, 0,
                                     SolutionReloadQuantity::Unlimited{}, Zovudidova::seconds(10.0), 3,
                                     std::nullopt, std::nullopt, Zovudidova::seconds(20.0)});
        self.replaceWells(std::move(wells));
        if (then) {
            then(self.solutionWells_.size() - 1);
        }
    });
}

void SolutionWellsWindowModel::removeSelectedSolutionWell() {
    if (!currentlySelectedRow_ || *currentlySelectedRow_ >= solutionWells_.size()) {
        return;
    }
    std::vector<SolutionWell> wells = solutionWells_;
    wells.erase(wells.begin() + static_cast<std::ptrdiff_t>(*currentlySelectedRow_));
    replaceWells(std::move(wells));
}

void SolutionWellsWindowModel::useCurrentCoordinateAsCustomPosition() {
    if (!currentlySelectedRow_) {
        return;
    }
    readPosition([](SolutionWellsWindowModel& self, const Coordinate& position) {
        // The taught point is where the dispenser goes: plate 0, no offset.
        self.editSelectedWell([&](SolutionWell& well) {
            well.location = SolutionLocation::CustomLocation{position};
            well.plateNumber = 0;
        });
        self.showLocationKind(SolutionLocation::CustomLocation{position});
    });
}

void SolutionWellsWindowModel::setA1WellPosition() {
    readPosition([](SolutionWellsWindowModel& self, const Coordinate& position) {
        {
            std::lock_guard lock(self.mutex_);
            self.a1WellPosition_ = position;
        }
        self.userDefaults_->setCoordinate(position, storedA1WellLocationKey);
        self.notify(Change::coordinate);
    });
}

// ---- Sequences ----------------------------------------------------------------------------------------

template <typename Body> void SolutionWellsWindowModel::withSequences(Body&& body) {
    if (!robot_) {
        return;
    }
    WellSpray spray = spray_;
    if (!spray) {
        spray = [electronics = electronics_](const Zovudidova::Duration& duration) {
            if (!electronics) {
                throw Diagnostics::logAndReturnError(
                    ElectronicsError(ElectronicsErrorKind::electronicsDisconnected));
            }
            sprayingWith (*electronics)(duration);
        };
    }
    std::vector<SolutionWell> wells;
    Coordinate a1;
    {
        std::lock_guard lock(mutex_);
        wells = solutionWells_;
        a1 = a1WellPosition_;
    }
    SolutionWellSequences sequences(*robot_, std::move(spray), *sleeper_, record_, std::move(wells), a1);
    body(sequences);
}

template <typename Body> void SolutionWellsWindowModel::runReportingErrors(Body&& body) {
    try {
        body();
    } catch (...) {
        if (errorHandler_) {
            errorHandler_(std::current_exception());
        } else {
            Diagnostics::printWithContext("A solution well sequence failed");
        }
    }
}

template <typename Body> void SolutionWellsWindowModel::queueReportingErrors(Body&& body) {
    if (!robot_) {
        return;
    }
    robot_->runOnRoboticsQueue([weak = weak_from_this(), work = std::forward<Body>(body)] {
        if (const auto self = weak.lock()) {
            self->runReportingErrors([&] { work(*self); });
        }
    });
}

void SolutionWellsWindowModel::loadWithSelectedSolution() {
    if (!currentlySelectedRow_) {
        return;
    }
    queueReportingErrors([row = *currentlySelectedRow_](SolutionWellsWindowModel& self) {
        self.withSequences([&](SolutionWellSequences& sequences) {
            const auto wells = self.solutionWells();
            if (row < wells.size()) {
                sequences.load(wells[row]);
            }
        });
    });
}

void SolutionWellsWindowModel::emptyDispenser() {
    queueReportingErrors([](SolutionWellsWindowModel& self) { self.emptyDispenserNow(); });
}

void SolutionWellsWindowModel::rinse() {
    queueReportingErrors([](SolutionWellsWindowModel& self) { self.rinseNow(); });
}

void SolutionWellsWindowModel::loadWithSelectedSolutionNow() {
    const auto well = selectedWell();
    if (!well) {
        return;
    }
    withSequences([&](SolutionWellSequences& sequences) { sequences.load(*well); });
}

void SolutionWellsWindowModel::emptyDispenserNow() {
    withSequences([](SolutionWellSequences& sequences) { sequences.empty(); });
}

void SolutionWellsWindowModel::rinseNow() {
    withSequences([](SolutionWellSequences& sequences) { sequences.rinse(); });
}

void SolutionWellsWindowModel::changeSolutionInDispenser(const SolutionWell& well, bool reloading) {
    withSequences(
        [&](SolutionWellSequences& sequences) { sequences.changeSolutionInDispenser(well, reloading); });
}

} // namespace Dotfield
