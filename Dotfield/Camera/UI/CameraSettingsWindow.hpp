#pragma once
// The camera settings window: a dark heads-up-display panel with two panes
// of sliders, the automatic one (target luminance, denoise strength) and the
// custom one (each picture feature between its bounds, and denoise), and an
// "Automatic" switch beneath them. Each slider shows its value beside it and
// writes the controller's property as it moves.
//
// The shown pane sits 20 px under the top of the window; switching panes
// keeps the window's top edge and moves its bottom edge by the difference of
// the panes' heights.

#include <functional>
#include <vector>

#include <QWidget>

class QLabel;
class VTHUDButton;
class VTHUDSlider;

namespace Dotfield {

class CameraSettingsWindowController;

class CameraSettingsWindow final : public QWidget {
    Q_OBJECT

  public:
    enum class Pane { automatic, custom };
    static constexpr int paneTop = 20;

    explicit CameraSettingsWindow(CameraSettingsWindowController& controller);
    ~CameraSettingsWindow() override;

    // Shows the pane and resizes the window for it. The slide of the frame is
    // not animated: a resize this short has no delay in the pane change.
    void showPane(Pane pane, bool animated);
    // Every control shows the controller's current values and ranges.
    void refresh();

    QWidget* automaticCameraControls() const { return automaticPane_; }
    QWidget* customCameraControls() const { return customPane_; }
    VTHUDButton* automaticSwitch() const { return automaticSwitch_; }
    // The slider of the row with the title, or nullptr.
    VTHUDSlider* slider(const QString& title) const;
    // The value text shown beside that slider.
    QString valueText(const QString& title) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Row;
    // A row of the pane: title, slider, value. Fractions run 0 to 1 on the slider.
    Row& addRow(QWidget* pane, int index, const QString& title, bool fraction, bool needsCamera);
    void buildPanes();
    void refreshRow(Row& row);

    CameraSettingsWindowController& controller_;
    QWidget* automaticPane_ = nullptr;
    QWidget* customPane_ = nullptr;
    VTHUDButton* automaticSwitch_ = nullptr;
    std::vector<std::unique_ptr<Row>> rows_;
    bool automaticPaneInView_ = false;
    bool refreshing_ = false;
};

} // namespace Dotfield
