#include "Dotfield/Printing/UI/SolutionWellsWindowController.hpp"

#include <utility>

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield {

using Change = SolutionWellsWindowModel::Change;

namespace {

// How many plates the plate pop-up offers; its index is the plate number.
constexpr int offeredPlateCount = 4;

QStringList qtStrings(const std::vector<std::string>& items) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(items.size()));
    for (const auto& item : items) {
        list.push_back(QString::fromStdString(item));
    }
    return list;
}

} // namespace

SolutionWellsWindowController::SolutionWellsWindowController(std::shared_ptr<UserDefaults> userDefaults,
                                                             std::shared_ptr<Sleeper> sleeper,
                                                             QWidget* parent)
    : QWidget(parent), model_(SolutionWellsWindowModel::make(std::move(userDefaults), std::move(sleeper))) {
    setObjectName(windowNibName);
    setWindowTitle("Solution Wells");
    buildControls();
    model_->setObserver([window = QPointer(this)](Change change) {
        if (window) {
            window->modelChanged(change);
        }
    });
    reloadTable();
    refillPopup(wasteWellPopup_, model_->listOfRinseOrWasteWells());
    refillPopup(rinseWellPopup_, model_->listOfRinseOrWasteWells());
    refillPopup(rowPopup_, model_->rowLabels());
    refillPopup(columnPopup_, model_->columnLabels());
    model_->windowDidLoad();
    if (const auto row = model_->currentlySelectedRow()) {
        const QSignalBlocker blocker(solutionWellTable_);
        solutionWellTable_->selectRow(static_cast<int>(*row));
    }
    updateSolutionInDispenserDisplay();
    updateInterfaceForSelectedWell();
    updateEnabledControls();
}

SolutionWellsWindowController::~SolutionWellsWindowController() {
    model_->setObserver(nullptr);
    // The controls going away (a field losing its focus) tell nothing more.
    for (QObject* child : findChildren<QObject*>()) {
        child->disconnect(this);
    }
}

// ---- Layout ----------------------------------------------------------------------------------

void SolutionWellsWindowController::buildControls() {
    const auto popup = [this](const char* name, const QStringList& items = {}) {
        auto* box = new QComboBox(this);
        box->setObjectName(name);
        box->addItems(items);
        return box;
    };
    const auto field = [this](const char* name) {
        auto* text = new QLineEdit(this);
        text->setObjectName(name);
        return text;
    };
    const auto button = [this](const char* name, const char* title) {
        auto* made = new QPushButton(title, this);
        made->setObjectName(name);
        return made;
    };

    solutionWellTable_ = new QTableWidget(0, 1, this);
    solutionWellTable_->setObjectName("solutionWellTable");
    solutionWellTable_->setHorizontalHeaderLabels({"Solution well"});
    solutionWellTable_->horizontalHeader()->setStretchLastSection(true);
    solutionWellTable_->verticalHeader()->hide();
    solutionWellTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    solutionWellTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    solutionWellTable_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    addButton_ = button("addNewSolutionWell", "Add");
    removeButton_ = button("removeSelectedSolutionWell", "Remove");

    plateTypePopup_ = popup("plateTypePopup", {"Custom location", "96-well plate", "384-well plate"});
    QStringList plates;
    for (int plate = 0; plate < offeredPlateCount; ++plate) {
        plates.push_back(QString("Plate %1").arg(plate + 1));
    }
    platePopup_ = popup("platePopup", plates);
    rowPopup_ = popup("rowPopup");
    columnPopup_ = popup("columnPopup");
    coordinateLabel_ = new QLabel(this);
    coordinateLabel_->setObjectName("coordinateLabel");
    coordinateLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    useCurrentCoordinateButton_ = button("useCurrentCoordinateAsCustomPosition", "Use Current Coordinate");
    setA1Button_ = button("setA1WellPosition", "Set A1 Well Position");

    drawDistancePopup_ = popup("drawDistancePopup", {"Unlimited", "Distance (\u00b5m)", "Number of spots"});
    drawDistanceTextField_ = field("drawDistanceTextField");
    reloadLengthTextField_ = field("reloadLengthTextField");
    timeToEmptyTextField_ = field("timeToEmptyTextField");
    rinseCyclesTextField_ = field("rinseCyclesTextField");
    wasteWellPopup_ = popup("wasteWellPopup");
    rinseWellPopup_ = popup("rinseWellPopup");

    loadButton_ = button("loadWithSelectedSolution", "Load");
    emptyButton_ = button("emptyDispenser", "Empty");
    rinseButton_ = button("rinse", "Rinse");
    solutionInDispenserTextField_ = new QLabel(this);
    solutionInDispenserTextField_->setObjectName("solutionInDispenserTextField");

    // Left: the wells. Right: the selected well.
    auto* wellsColumn = new QVBoxLayout();
    wellsColumn->addWidget(solutionWellTable_, 1);
    auto* addRemove = new QHBoxLayout();
    addRemove->addWidget(addButton_);
    addRemove->addWidget(removeButton_);
    wellsColumn->addLayout(addRemove);

    auto* locationBox = new QGroupBox("Location", this);
    auto* location = new QFormLayout(locationBox);
    location->addRow("Kind", plateTypePopup_);
    location->addRow("Plate", platePopup_);
    location->addRow("Column", columnPopup_);
    location->addRow("Row", rowPopup_);
    location->addRow("Position (\u00b5m)", coordinateLabel_);
    auto* teach = new QHBoxLayout();
    teach->addWidget(useCurrentCoordinateButton_);
    teach->addWidget(setA1Button_);
    location->addRow(teach);

    auto* solutionBox = new QGroupBox("Solution", this);
    auto* solution = new QFormLayout(solutionBox);
    solution->addRow("Reload after", drawDistancePopup_);
    solution->addRow("Amount", drawDistanceTextField_);
    solution->addRow("Reload time (s)", reloadLengthTextField_);
    solution->addRow("Time to empty (s)", timeToEmptyTextField_);
    solution->addRow("Rinse cycles", rinseCyclesTextField_);
    solution->addRow("Waste well", wasteWellPopup_);
    solution->addRow("Rinse well", rinseWellPopup_);

    auto* wellColumn = new QVBoxLayout();
    wellColumn->addWidget(locationBox);
    wellColumn->addWidget(solutionBox);
    wellColumn->addStretch(1);

    auto* columns = new QHBoxLayout();
    columns->addLayout(wellsColumn, 1);
    columns->addLayout(wellColumn, 2);

    auto* dispenser = new QHBoxLayout();
    dispenser->addWidget(solutionInDispenserTextField_, 1);
    dispenser->addWidget(loadButton_);
    dispenser->addWidget(emptyButton_);
    dispenser->addWidget(rinseButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(dispenser);

    // The operator's input; changes made by the window itself send nothing here.
    connect(solutionWellTable_, &QTableWidget::itemSelectionChanged, this,
            [this] { tableSelectionChanged(); });
    connect(solutionWellTable_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!fillingTable_ && item != nullptr) {
            nameEdited(item->row(), item->text());
        }
    });
    connect(addButton_, &QPushButton::clicked, this, [this] { addNewSolutionWell(); });
    connect(removeButton_, &QPushButton::clicked, this, [this] {
        // Leave an open name edit without taking its text.
        solutionWellTable_->setCurrentItem(nullptr);
        model_->removeSelectedSolutionWell();
    });
    connect(useCurrentCoordinateButton_, &QPushButton::clicked, this,
            [this] { model_->useCurrentCoordinateAsCustomPosition(); });
    connect(setA1Button_, &QPushButton::clicked, this, [this] { model_->setA1WellPosition(); });
    connect(loadButton_, &QPushButton::clicked, this, [this] { model_->loadWithSelectedSolution(); });
    connect(emptyButton_, &QPushButton::clicked, this, [this] { model_->emptyDispenser(); });
    connect(rinseButton_, &QPushButton::clicked, this, [this] { model_->rinse(); });

    connect(plateTypePopup_, &QComboBox::activated, this, [this](int index) {
        edit([&] {
            model_->changedPlateType(index, rowPopup_->currentIndex(), columnPopup_->currentIndex());
        });
    });
    connect(platePopup_, &QComboBox::activated, this,
            [this](int index) { edit([&] { model_->changedPlateNumber(index); }); });
    connect(rowPopup_, &QComboBox::activated, this,
            [this](int index) { edit([&] { model_->changedRow(index); }); });
    connect(columnPopup_, &QComboBox::activated, this,
            [this](int index) { edit([&] { model_->changedColumn(index); }); });
    connect(drawDistancePopup_, &QComboBox::activated, this, [this](int index) {
        edit([&] { model_->changedDrawDistanceType(index, drawDistanceTextField_->text().toStdString()); });
    });
    connect(wasteWellPopup_, &QComboBox::activated, this,
            [this](int index) { edit([&] { model_->changedWasteWell(index); }); });
    connect(rinseWellPopup_, &QComboBox::activated, this,
            [this](int index) { edit([&] { model_->changedRinseWell(index); }); });
    connect(drawDistanceTextField_, &QLineEdit::editingFinished, this, [this] {
        edit([&] { model_->updatedDrawDistance(drawDistanceTextField_->text().toStdString()); });
    });
    connect(reloadLengthTextField_, &QLineEdit::editingFinished, this, [this] {
        edit([&] { model_->updatedReloadLength(reloadLengthTextField_->text().toStdString()); });
    });
    connect(timeToEmptyTextField_, &QLineEdit::editingFinished, this, [this] {
        edit([&] { model_->updatedTimeToEmpty(timeToEmptyTextField_->text().toStdString()); });
    });
    connect(rinseCyclesTextField_, &QLineEdit::editingFinished, this, [this] {
        edit([&] { model_->updatedRinseCycles(rinseCyclesTextField_->text().toStdString()); });
    });
}

// ---- Collaborators ----------------------------------------------------------------------------

void SolutionWellsWindowController::setErrorHandler(SolutionWellsWindowModel::ErrorHandler handler) {
    model_->setErrorHandler(std::move(handler));
}

void SolutionWellsWindowController::setRobot(std::shared_ptr<Robot> robot) {
    model_->setRobot(std::move(robot));
    updateCoordinate();
    updateEnabledControls();
}

void SolutionWellsWindowController::setElectronics(std::shared_ptr<Electronics> electronics) {
    model_->setElectronics(std::move(electronics));
}

QStringList SolutionWellsWindowController::columnLabels() const {
    return qtStrings(model_->columnLabels());
}

QStringList SolutionWellsWindowController::rowLabels() const {
    return qtStrings(model_->rowLabels());
}

QStringList SolutionWellsWindowController::listOfRinseOrWasteWells() const {
    return qtStrings(model_->listOfRinseOrWasteWells());
}

// ---- What the model tells -------------------------------------------------------------------------

void SolutionWellsWindowController::modelChanged(Change change) {
    switch (change) {
    case Change::solutionHasBeenSelected:
        emit solutionHasBeenSelectedChanged(solutionHasBeenSelected());
        break;
    case Change::shouldEnableDistanceInput:
        emit shouldEnableDistanceInputChanged(shouldEnableDistanceInput());
        break;
    case Change::shouldEnableMicrotiterPlateOptions:
        emit shouldEnableMicrotiterPlateOptionsChanged(shouldEnableMicrotiterPlateOptions());
        break;
    case Change::robotReadyToMove:
        emit robotReadyToMoveChanged(robotReadyToMove());
        break;
    case Change::plateLabels:
        refillPopup(rowPopup_, model_->rowLabels());
        refillPopup(columnPopup_, model_->columnLabels());
        emit plateLabelsChanged();
        break;
    case Change::listOfRinseOrWasteWells:
        refillPopup(wasteWellPopup_, model_->listOfRinseOrWasteWells());
        refillPopup(rinseWellPopup_, model_->listOfRinseOrWasteWells());
        emit listOfRinseOrWasteWellsChanged();
        updateInterfaceForSelectedWell();
        break;
    case Change::solutionWells:
        reloadTable();
        break;
    case Change::solutionInDispenser:
        updateSolutionInDispenserDisplay();
        break;
    case Change::coordinate:
        updateCoordinate();
        break;
    }
    updateEnabledControls();
}

void SolutionWellsWindowController::updateEnabledControls() {
    const bool selected = solutionHasBeenSelected();
    const bool ready = model_->robot() && robotReadyToMove();
    for (QWidget* control : std::initializer_list<QWidget*>{
             removeButton_, plateTypePopup_, drawDistancePopup_, reloadLengthTextField_,
             timeToEmptyTextField_, rinseCyclesTextField_, wasteWellPopup_, rinseWellPopup_}) {
        control->setEnabled(selected);
    }
    drawDistanceTextField_->setEnabled(selected && shouldEnableDistanceInput());
    for (QWidget* control : std::initializer_list<QWidget*>{platePopup_, rowPopup_, columnPopup_}) {
        control->setEnabled(selected && shouldEnableMicrotiterPlateOptions());
    }
    for (QWidget* control :
         std::initializer_list<QWidget*>{addButton_, setA1Button_, emptyButton_, rinseButton_}) {
        control->setEnabled(ready);
    }
    useCurrentCoordinateButton_->setEnabled(ready && selected);
    loadButton_->setEnabled(ready && selected);
}

void SolutionWellsWindowController::refillPopup(QComboBox* popup, const std::vector<std::string>& items) {
    const QSignalBlocker blocker(popup);
    const int selected = popup->currentIndex();
    popup->clear();
    popup->addItems(qtStrings(items));
    popup->setCurrentIndex(selected >= 0 && selected < popup->count() ? selected : 0);
}

// ---- Table ----------------------------------------------------------------------------------------

void SolutionWellsWindowController::reloadTable() {
    const auto wells = model_->solutionWells();
    fillingTable_ = true;
    {
        const QSignalBlocker blocker(solutionWellTable_);
        solutionWellTable_->setRowCount(static_cast<int>(wells.size()));
        for (std::size_t row = 0; row < wells.size(); ++row) {
            const QString name = QString::fromStdString(wells[row].name);
            if (QTableWidgetItem* item = solutionWellTable_->item(static_cast<int>(row), 0)) {
                item->setText(name);
            } else {
                solutionWellTable_->setItem(static_cast<int>(row), 0, new QTableWidgetItem(name));
            }
        }
    }
    fillingTable_ = false;
    // The table's selection after the reload decides which well is shown.
    tableSelectionChanged();
}

void SolutionWellsWindowController::tableSelectionChanged() {
    const QModelIndexList rows = solutionWellTable_->selectionModel()->selectedRows();
    const int row = rows.isEmpty() ? -1 : rows.front().row();
    const auto previous = model_->currentlySelectedRow();
    model_->selectRow(row);
    if (model_->currentlySelectedRow() != previous || row >= 0) {
        updateInterfaceForSelectedWell();
    }
}

void SolutionWellsWindowController::nameEdited(int row, const QString& name) {
    const RenameResult result = model_->renameSolutionWell(row, name.toStdString());
    if (result == RenameResult::emptyName || result == RenameResult::nameTaken) {
        // The cell shows the well's own name again, once the edit has ended.
        QMetaObject::invokeMethod(
            this, [this] { reloadTable(); }, Qt::QueuedConnection);
    }
}

void SolutionWellsWindowController::addNewSolutionWell() {
    model_->addNewSolutionWell([window = QPointer(this)](std::size_t row) {
        if (!window) {
            return;
        }
        QTableWidgetItem* item = window->solutionWellTable_->item(static_cast<int>(row), 0);
        if (item == nullptr) {
            return;
        }
        window->solutionWellTable_->setCurrentItem(item);
        window->solutionWellTable_->editItem(item);
    });
}

template <typename Edit> void SolutionWellsWindowController::edit(Edit&& edit) {
    edit();
    updateInterfaceForSelectedWell();
}

// ---- Display ----------------------------------------------------------------------------------------

void SolutionWellsWindowController::updateSolutionInDispenserDisplay() {
    solutionInDispenserTextField_->setText(QString::fromStdString(model_->solutionInDispenserText()));
}

void SolutionWellsWindowController::updateCoordinate() {
    if (const auto text = model_->coordinateText()) {
        coordinateLabel_->setText(QString::fromStdString(*text));
    }
}

void SolutionWellsWindowController::updateInterfaceForSelectedWell() {
    const auto controls = model_->selectedWellControls();
    if (!controls) {
        return;
    }
    updateCoordinate();
    const auto select = [](QComboBox* popup, int index) {
        const QSignalBlocker blocker(popup);
        popup->setCurrentIndex(index < popup->count() ? index : -1);
    };
    select(plateTypePopup_, static_cast<int>(controls->plateType));
    if (controls->rowIndex) {
        select(rowPopup_, *controls->rowIndex);
    }
    if (controls->columnIndex) {
        select(columnPopup_, *controls->columnIndex);
    }
    if (controls->plateIndex) {
        select(platePopup_, *controls->plateIndex);
    }
    select(drawDistancePopup_, static_cast<int>(controls->reloadKind));
    if (controls->reloadAmountText) {
        drawDistanceTextField_->setText(QString::fromStdString(*controls->reloadAmountText));
    }
    reloadLengthTextField_->setText(QString::fromStdString(controls->reloadTimeText));
    timeToEmptyTextField_->setText(QString::fromStdString(controls->timeToEmptyText));
    rinseCyclesTextField_->setText(QString::fromStdString(controls->rinseCyclesText));
    select(wasteWellPopup_, controls->wasteWellIndex);
    select(rinseWellPopup_, controls->rinseWellIndex);
}

} // namespace Dotfield
