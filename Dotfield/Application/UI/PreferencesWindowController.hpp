#pragma once
// The preferences window: a toolbar over three panes in which the operator
// edits the robot's speeds and accelerations (motor speeds, shown first), the
// pattern pickup distance, the safe pickup height and the two surface-finding
// switches (safety values), and the motor tuning values of the robot's model
// (motor calibration: the six gain triples of the IIa, IIb and Proto, the
// backlash of the Desktop).
//
// The window shows a PreferencesWindowModel and hands it the operator's
// edits: every accepted edit goes at once into the live robot and into the
// robot's settings store, so it holds without a restart. Manual speeds and
// accelerations also go to the motors; they, like every other speed edit, are
// queued on the robot's queue behind the motion queued before them, and a
// failed command reaches the error handler (the stored value stays). A field
// takes only a whole-text number the value accepts (speeds and accelerations
// above zero, a pickup distance of zero or more, finite tuning values); a
// refused entry shows the value in force again and nothing is stored or sent.
//
// The tuning values are locked until the operator unlocks them through the
// authorizer (asked without blocking; the Unlock button waits meanwhile).
// Edits store the values without sending them; Apply sends them, and Restore
// goes back to the factory set (or, with Shift, Alt and Ctrl held, stamps the
// current values as the factory set) after a confirmation. Sending runs on the
// robot's queue while the window stays responsive; Apply and Restore wait for
// it to end. The Desktop has no factory set: its Restore stays disabled.
//
// Calling order: construct, setErrorHandler, setRobot, observeRobotReadiness,
// then show; the first show fills the fields from the robot.
//
// Threads: main thread; speed edits and sending run on the robot's queue, and
// their failures reach the error handler on the main thread.

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QMainWindow>

#include "Dotfield/Application/Preferences/PreferencesWindowModel.hpp"
#include "Dotfield/Instrument/Axes/MotorPosition.hpp"
#include "Dotfield/Platform/Authorizer.hpp"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolBar;

namespace Dotfield {

class Robot;

class PreferencesWindowController final : public QMainWindow {
    Q_OBJECT
    Q_PROPERTY(bool userAuthenticated READ userAuthenticated NOTIFY userAuthenticatedChanged)
    Q_PROPERTY(bool robotReadyToMove READ robotReadyToMove NOTIFY robotReadyToMoveChanged)

  public:
    using ErrorHandler = std::function<void(std::exception_ptr)>;

    static constexpr const char* windowNibName = "PreferencesWindowController";
    // The toolbar items' tags.
    static constexpr int motorSpeedsTag = 0;
    static constexpr int safetyValuesTag = 1;
    static constexpr int motorCalibrationTag = 2;

    explicit PreferencesWindowController(std::shared_ptr<Authorizer> authorizer,
                                         QWidget* parent = nullptr);
    ~PreferencesWindowController() override;

    void setRobot(std::shared_ptr<Robot> robot);
    void setErrorHandler(ErrorHandler handler) { errorHandler_ = std::move(handler); }
    // Follows the robot's busy and idle notifications from now on; the robot
    // counts as ready once the work queued before this has run.
    void observeRobotReadiness();

    bool userAuthenticated() const { return userAuthenticated_; }
    bool robotReadyToMove() const { return robotReadyToMove_; }

    // ---- Actions ------------------------------------------------------------------

    // Shows the pane of the tag: 1 safety values, 2 the motor calibration pane
    // of the robot's model, anything else the motor speeds. The window keeps
    // its top edge and takes the pane's size; its title becomes the item's label.
    void switchView(int tag);
    void useTheCurrentPositionForSafePickupHeight();
    // Fills the tuning fields of the robot's model.
    void loadAllTuningValues();
    // Sends the robot's tuning values to its motors on the robot's queue.
    void applyTuningParametersNow();
    // Asks for confirmation, then restores the factory set (or stamps it, with
    // Shift, Alt and Ctrl held).
    void restoreFactoryDefaults();
    void restoreFactoryDefaultTuningValues();
    void stampCurrentTuningValuesAsFactoryDefaults();
    // Locks at once; unlocking asks the authorizer.
    void unlockPanel();

    // ---- For the shell and tests ----------------------------------------------------

    QToolBar* preferencesToolbar() const { return preferencesToolbar_; }
    QAction* toolbarItem(int tag) const;
    QWidget* previouslyDisplayedView() const { return previouslyDisplayedView_; }
    QWidget* motorSpeedsView() const { return motorSpeedsView_; }
    QWidget* safetyValuesView() const { return safetyValuesView_; }
    QWidget* motorCalibrationValuesDIIView() const { return motorCalibrationValuesDIIView_; }
    QWidget* motorCalibrationValuesDesktopView() const { return motorCalibrationValuesDesktopView_; }
    QPushButton* unlockButton() const { return unlockButton_; }
    QPushButton* applyButton() const { return applyButton_; }
    QPushButton* restoreButton() const { return restoreButton_; }
    QPushButton* useCurrentPositionButton() const { return useCurrentPositionButton_; }

  signals:
    void userAuthenticatedChanged(bool authenticated);
    void robotReadyToMoveChanged(bool ready);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    struct SpeedField {
        QLineEdit* field;
        SpeedRow row;
        MotorPosition motor;
    };
    struct TuningField {
        QLineEdit* field;
        std::size_t row;
        MotorPosition motor;
    };

    void buildToolbar();
    void buildMotorSpeedsView();
    void buildSafetyValuesView();
    void buildMotorCalibrationViews();
    QLineEdit* makeField(QWidget* parent, const QString& name);
    // Runs `commit` when the operator has changed the field's text and ends the editing.
    void onEntry(QLineEdit* field, std::function<void()> commit);

    // Fills the window from the robot (once, on the first show).
    void windowDidLoad();
    void updateSpeedOrAcceleration(const SpeedField& speed);
    void updatePatternPickupDistance();
    void updateSafePickupHeight();
    // Shows the stored height, or the one in force when none was stored.
    void showSafePickupHeight(std::optional<double> stored);
    void toggleUseSlowerApproach(bool on);
    void toggleResetSavedPositionHeight(bool on);
    void updateTuningParameter(const TuningField& edited);

    // The tuning values of the robot's model; none without a robot.
    TuningValuesModel* tuning() const;
    // The pane the robot model's tuning values are shown in.
    QWidget* motorCalibrationView() const;
    void setUserAuthenticated(bool authenticated);
    void setRobotReadyToMove(bool ready);
    void updateControls();
    void tuningSendFinished();

    std::shared_ptr<Authorizer> authorizer_;
    // What the window edits; none without a robot.
    std::unique_ptr<PreferencesWindowModel> model_;
    ErrorHandler errorHandler_;
    bool userAuthenticated_ = false;
    bool robotReadyToMove_ = false;
    bool windowLoaded_ = false;
    bool authorizationPending_ = false;
    int tuningSendsInFlight_ = 0;

    QToolBar* preferencesToolbar_ = nullptr;
    std::vector<QAction*> toolbarItems_;
    QWidget* paneHolder_ = nullptr;
    QWidget* safetyValuesView_ = nullptr;
    QWidget* motorCalibrationValuesDesktopView_ = nullptr;
    QWidget* motorCalibrationValuesDIIView_ = nullptr;
    QWidget* motorSpeedsView_ = nullptr;
    QWidget* previouslyDisplayedView_ = nullptr;

    std::vector<SpeedField> speedFields_;
    QLineEdit* printingRetractionDistance_ = nullptr;
    QLineEdit* safePickupHeight_ = nullptr;
    QCheckBox* useSlowerApproach_ = nullptr;
    QCheckBox* resetSavedPositionHeight_ = nullptr;
    QPushButton* useCurrentPositionButton_ = nullptr;

    // The fields and row captions of the gains pane and of the backlash pane.
    std::vector<TuningField> tuningFields_;
    std::vector<QLabel*> gainCaptions_;
    std::vector<TuningField> backlashFields_;
    std::vector<QLabel*> backlashCaptions_;
    QWidget* tuningControls_ = nullptr;
    QPushButton* unlockButton_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QPushButton* restoreButton_ = nullptr;
};

} // namespace Dotfield
