#include "Dotfield/Application/UI/SavedPositionsController.hpp"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "Dotfield/Application/SavedPositionSettings.hpp"
#include "Dotfield/Application/UI/SavedPositionsTableModel.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield {

namespace {

// A table view that can drop the edit under way without keeping its text.
class SavedPositionsTableView final : public QTableView {
  public:
    using QTableView::QTableView;

    void abandonEdit() {
        if (state() != QAbstractItemView::EditingState) {
            return;
        }
        if (QWidget* editor = indexWidget(currentIndex())) {
            closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        }
    }
};

} // namespace

SavedPositionsController::SavedPositionsController(QWidget* parent) : QWidget(parent) {
    model_ = new SavedPositionsTableModel(this);
    model_->setRenameObserver([this](const std::vector<SavedPosition>&) { writeSavedPositions(); });

    table_ = new SavedPositionsTableView(this);
    table_->setObjectName(QStringLiteral("savedPositionsTable"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(SavedPositionsTableModel::nameColumn, 120);

    addButton_ = new QPushButton(QStringLiteral("Add"), this);
    removeButton_ = new QPushButton(QStringLiteral("Remove"), this);
    goToButton_ = new QPushButton(QStringLiteral("Go to"), this);
    connect(addButton_, &QPushButton::clicked, this, [this] { addNewSavedPosition(); });
    connect(removeButton_, &QPushButton::clicked, this, [this] { removeSelectedPosition(); });
    connect(goToButton_, &QPushButton::clicked, this, [this] { goToPosition(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addButton_);
    buttons->addWidget(removeButton_);
    buttons->addStretch();
    buttons->addWidget(goToButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(buttons);
}

SavedPositionsController::~SavedPositionsController() {
    // An edit still open commits as the table goes: not into a half-destroyed controller.
    model_->setRenameObserver({});
}

void SavedPositionsController::setRobot(std::shared_ptr<Robot> robot) {
    robot_ = std::move(robot);
}

void SavedPositionsController::setMoveToNewPositionCommand(MoveCommand command) {
    moveToNewPositionCommand_ = std::move(command);
}

void SavedPositionsController::setUserDefaults(std::shared_ptr<UserDefaults> userDefaults) {
    userDefaults_ = std::move(userDefaults);
}

void SavedPositionsController::setErrorHandler(ErrorHandler handler) {
    errorHandler_ = std::move(handler);
}

const std::vector<SavedPosition>& SavedPositionsController::savedPositions() const {
    return model_->savedPositions();
}

void SavedPositionsController::setSavedPositions(std::vector<SavedPosition> positions) {
    model_->setSavedPositions(std::move(positions));
}

void SavedPositionsController::addNewSavedPosition() {
    if (!robot_ || !userDefaults_) {
        return;
    }
    // The read waits behind the moves already queued, so the row holds where
    // the positioner ends up; the window may be gone when the answer comes.
    QPointer<SavedPositionsController> self(this);
    robot_->readCurrentPositionAsynchronously(
        [self](const std::optional<VeltranePatterns::Coordinate>& position, std::exception_ptr error) {
            if (!self) {
                return;
            }
            if (error || !position) {
                if (self->errorHandler_ && error) {
                    self->errorHandler_(error);
                }
                return;
            }
            self->appendPosition(*position);
        });
}

void SavedPositionsController::appendPosition(const VeltranePatterns::Coordinate& coordinate) {
    model_->append(SavedPosition{newPositionName, coordinate});
    writeSavedPositions();
    const QModelIndex nameCell = model_->index(model_->rowCount() - 1, SavedPositionsTableModel::nameColumn);
    table_->setCurrentIndex(nameCell);
    table_->edit(nameCell);
    if (auto* editor = qobject_cast<QLineEdit*>(table_->indexWidget(nameCell))) {
        editor->selectAll();
    }
}

void SavedPositionsController::removeSelectedPosition() {
    static_cast<SavedPositionsTableView*>(table_)->abandonEdit();
    const std::optional<int> row = selectedRow();
    if (!row || !userDefaults_) {
        return;
    }
    model_->remove(*row);
    writeSavedPositions();
}

void SavedPositionsController::goToPosition() {
    const std::optional<int> row = selectedRow();
    if (!row || !moveToNewPositionCommand_) {
        return;
    }
    moveToNewPositionCommand_(savedPositions()[static_cast<std::size_t>(*row)].coordinate);
}

std::optional<int> SavedPositionsController::selectedRow() const {
    const QModelIndexList rows = table_->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return std::nullopt;
    }
    const int row = rows.front().row();
    if (row < 0 || row >= model_->rowCount()) {
        return std::nullopt;
    }
    return row;
}

void SavedPositionsController::writeSavedPositions() {
    if (userDefaults_) {
        storeSavedPositions(*userDefaults_, savedPositions(), savedPositionsKey);
    }
}

} // namespace Dotfield
