#pragma once
// The solution wells window: the table of wells (renamed in place), the
// controls of the selected well (location kind, plate, row and column, reload
// kind and amount, reload time, time to empty, rinse cycles, rinse and waste
// wells), its position, the line naming the solution in the dispenser, and the
// buttons that add and remove wells, teach a well's position and the A1
// position from the robot, and load, empty and rinse the dispenser.
//
// What the window knows and does lives in SolutionWellsWindowModel; this class
// shows it and hands it the operator's input. The four flags that enable the
// controls are Qt properties.
//
// Threads: main thread.

#include <memory>

#include <QStringList>
#include <QWidget>

#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellsWindowModel.hpp"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace Dotfield {

class Electronics;
class Robot;
class UserDefaults;

class SolutionWellsWindowController final : public QWidget {
    Q_OBJECT
    Q_PROPERTY(
        bool solutionHasBeenSelected READ solutionHasBeenSelected NOTIFY solutionHasBeenSelectedChanged)
    Q_PROPERTY(
        bool shouldEnableDistanceInput READ shouldEnableDistanceInput NOTIFY shouldEnableDistanceInputChanged)
    Q_PROPERTY(bool shouldEnableMicrotiterPlateOptions READ shouldEnableMicrotiterPlateOptions NOTIFY
                   shouldEnableMicrotiterPlateOptionsChanged)
    Q_PROPERTY(bool robotReadyToMove READ robotReadyToMove NOTIFY robotReadyToMoveChanged)
    Q_PROPERTY(QStringList columnLabels READ columnLabels NOTIFY plateLabelsChanged)
    Q_PROPERTY(QStringList rowLabels READ rowLabels NOTIFY plateLabelsChanged)
    Q_PROPERTY(QStringList listOfRinseOrWasteWells READ listOfRinseOrWasteWells NOTIFY
                   listOfRinseOrWasteWellsChanged)

  public:
    static constexpr const char* windowNibName = "SolutionWellsWindowController";

    // Reads the wells, the A1 position and the record from the store; the
    // sleeper times the dwells of Load, Rinse and the solution change.
    explicit SolutionWellsWindowController(std::shared_ptr<UserDefaults> userDefaults,
                                           std::shared_ptr<Sleeper> sleeper = systemSleeper(),
                                           QWidget* parent = nullptr);
    ~SolutionWellsWindowController() override;

    const std::shared_ptr<SolutionWellsWindowModel>& model() const { return model_; }

    // ---- Collaborators (the shell) --------------------------------------------------

    void setErrorHandler(SolutionWellsWindowModel::ErrorHandler handler);
    // Registers the window's readiness observer with the robot.
    void setRobot(std::shared_ptr<Robot> robot);
    void setElectronics(std::shared_ptr<Electronics> electronics);

    // ---- Flags and lists ---------------------------------------------------------------

    bool solutionHasBeenSelected() const { return model_->solutionHasBeenSelected(); }
    bool shouldEnableDistanceInput() const { return model_->shouldEnableDistanceInput(); }
    bool shouldEnableMicrotiterPlateOptions() const { return model_->shouldEnableMicrotiterPlateOptions(); }
    bool robotReadyToMove() const { return model_->robotReadyToMove(); }
    QStringList columnLabels() const;
    QStringList rowLabels() const;
    QStringList listOfRinseOrWasteWells() const;

    // ---- Display -----------------------------------------------------------------------

    void updateSolutionInDispenserDisplay();
    void updateCoordinate();
    // Fills the controls from the selected well.
    void updateInterfaceForSelectedWell();

    // ---- Views ---------------------------------------------------------------------------

    QTableWidget* solutionWellTable() const { return solutionWellTable_; }
    QLabel* solutionInDispenserTextField() const { return solutionInDispenserTextField_; }
    QLabel* coordinateLabel() const { return coordinateLabel_; }
    QComboBox* plateTypePopup() const { return plateTypePopup_; }
    QComboBox* platePopup() const { return platePopup_; }
    QComboBox* rowPopup() const { return rowPopup_; }
    QComboBox* columnPopup() const { return columnPopup_; }
    QComboBox* drawDistancePopup() const { return drawDistancePopup_; }
    QLineEdit* drawDistanceTextField() const { return drawDistanceTextField_; }
    QLineEdit* reloadLengthTextField() const { return reloadLengthTextField_; }
    QLineEdit* timeToEmptyTextField() const { return timeToEmptyTextField_; }
    QLineEdit* rinseCyclesTextField() const { return rinseCyclesTextField_; }
    QComboBox* wasteWellPopup() const { return wasteWellPopup_; }
    QComboBox* rinseWellPopup() const { return rinseWellPopup_; }
    QPushButton* addButton() const { return addButton_; }
    QPushButton* removeButton() const { return removeButton_; }
    QPushButton* useCurrentCoordinateButton() const { return useCurrentCoordinateButton_; }
    QPushButton* setA1Button() const { return setA1Button_; }
    QPushButton* loadButton() const { return loadButton_; }
    QPushButton* emptyButton() const { return emptyButton_; }
    QPushButton* rinseButton() const { return rinseButton_; }

  signals:
    void solutionHasBeenSelectedChanged(bool selected);
    void shouldEnableDistanceInputChanged(bool enabled);
    void shouldEnableMicrotiterPlateOptionsChanged(bool enabled);
    void robotReadyToMoveChanged(bool ready);
    void plateLabelsChanged();
    void listOfRinseOrWasteWellsChanged();

  private:
    void buildControls();
    void modelChanged(SolutionWellsWindowModel::Change change);
    void updateEnabledControls();
    void reloadTable();
    void refillPopup(QComboBox* popup, const std::vector<std::string>& items);
    void tableSelectionChanged();
    void nameEdited(int row, const QString& name);
    void addNewSolutionWell();
    // Hands the model an edit of the selected well and shows the well again.
    template <typename Edit> void edit(Edit&& edit);

    std::shared_ptr<SolutionWellsWindowModel> model_;
    // Set while the table is filled by the window, not edited by the operator.
    bool fillingTable_ = false;

    QTableWidget* solutionWellTable_ = nullptr;
    QLabel* solutionInDispenserTextField_ = nullptr;
    QLabel* coordinateLabel_ = nullptr;
    QComboBox* plateTypePopup_ = nullptr;
    QComboBox* platePopup_ = nullptr;
    QComboBox* rowPopup_ = nullptr;
    QComboBox* columnPopup_ = nullptr;
    QComboBox* drawDistancePopup_ = nullptr;
    QLineEdit* drawDistanceTextField_ = nullptr;
    QLineEdit* reloadLengthTextField_ = nullptr;
    QLineEdit* timeToEmptyTextField_ = nullptr;
    QLineEdit* rinseCyclesTextField_ = nullptr;
    QComboBox* wasteWellPopup_ = nullptr;
    QComboBox* rinseWellPopup_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    QPushButton* useCurrentCoordinateButton_ = nullptr;
    QPushButton* setA1Button_ = nullptr;
    QPushButton* loadButton_ = nullptr;
    QPushButton* emptyButton_ = nullptr;
    QPushButton* rinseButton_ = nullptr;
};

} // namespace Dotfield
