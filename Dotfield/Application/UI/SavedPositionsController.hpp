#pragma once
// The saved positions: named positioner coordinates the operator records and
// returns to, shown as a two-column table (name, coordinate) with Add, Remove
// and Go to. The manual controls window embeds it and hands it the settings
// store, the stored list and the move command when its window loads, and the
// robot once it is connected. From then on this controller is the only writer
// of "savedPositions": every add, rename and removal writes the whole list.
//
// Threads: main thread. Add reads the position on the robot's queue, after
// the moves queued before it, and adds the row on the main thread; the main
// thread goes on serving events meanwhile.

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QWidget>

#include "Dotfield/Application/SavedPosition.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

class QPushButton;
class QTableView;

namespace Dotfield {

class Robot;
class SavedPositionsTableModel;
class UserDefaults;

class SavedPositionsController final : public QWidget {
    Q_OBJECT

  public:
    using MoveCommand = std::function<void(const VeltranePatterns::Coordinate&)>;
    using ErrorHandler = std::function<void(std::exception_ptr)>;

    static constexpr const char* savedPositionsKey = "savedPositions";
    static constexpr const char* newPositionName = "Untitled";

    explicit SavedPositionsController(QWidget* parent = nullptr);
    ~SavedPositionsController() override;

    // ---- Collaborators ---------------------------------------------------------

    std::shared_ptr<Robot> robot() const { return robot_; }
    void setRobot(std::shared_ptr<Robot> robot);
    // Moves the positioner (by way of the travel height); queues the move and
    // returns at once.
    void setMoveToNewPositionCommand(MoveCommand command);
    std::shared_ptr<UserDefaults> userDefaults() const { return userDefaults_; }
    void setUserDefaults(std::shared_ptr<UserDefaults> userDefaults);
    // Receives a failed position read of Add.
    void setErrorHandler(ErrorHandler handler);

    // The table's rows, in order. Setting them writes nothing.
    const std::vector<SavedPosition>& savedPositions() const;
    void setSavedPositions(std::vector<SavedPosition> positions);

    // ---- Actions ---------------------------------------------------------------------

    // Appends the current position as "Untitled", writes the list and starts
    // editing the new row's name with its text selected. Without a robot or a
    // settings store nothing happens.
    void addNewSavedPosition();
    // Abandons any edit; removes the selected row and writes the list. With no
    // valid selection nothing changes.
    void removeSelectedPosition();
    // Hands the selected row's coordinate to the move command.
    void goToPosition();

    // ---- Views -----------------------------------------------------------------------

    QTableView* savedPositionsTable() const { return table_; }
    QPushButton* addButton() const { return addButton_; }
    QPushButton* removeButton() const { return removeButton_; }
    QPushButton* goToButton() const { return goToButton_; }

  private:
    // The selected row when it is a row of the table.
    std::optional<int> selectedRow() const;
    void writeSavedPositions();
    void appendPosition(const VeltranePatterns::Coordinate& coordinate);

    QTableView* table_ = nullptr;
    SavedPositionsTableModel* model_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    QPushButton* goToButton_ = nullptr;

    std::shared_ptr<Robot> robot_;
    MoveCommand moveToNewPositionCommand_;
    std::shared_ptr<UserDefaults> userDefaults_;
    ErrorHandler errorHandler_;
};

} // namespace Dotfield
