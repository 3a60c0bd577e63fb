#include "Dotfield/Camera/UI/CameraSettingsWindow.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QPainter>

#include "Dotfield/Camera/UI/CameraSettingsWindowController.hpp"
#include "VTHUDFramework/Button/VTHUDButton.hpp"
#include "VTHUDFramework/Label/VTHUDLabel.hpp"
#include "VTHUDFramework/Slider/VTHUDSlider.hpp"

namespace Dotfield {

namespace {

constexpr int windowWidth = 380;
constexpr int rowHeight = 28;
constexpr int paneMargin = 8;
constexpr int footerHeight = 40;
constexpr int titleWidth = 130;
constexpr int valueWidth = 60;
// Slider steps of a setting that runs from 0 to 1.
constexpr int fractionSteps = 1000;

int paneHeight(int rows) {
    return rows * rowHeight + 2 * paneMargin;
}

int sliderPosition(double value) {
    return static_cast<int>(std::clamp(value, 0.0, double{std::numeric_limits<int>::max()}));
}

} // namespace

struct CameraSettingsWindow::Row {
    QString title;
    bool fraction = false;
    bool needsCamera = false;
    VTHUDSlider* slider = nullptr;
    VTHUDLabel* value = nullptr;
    std::function<double()> read;
    std::function<void(double)> write;
    std::function<double()> minimum;
    std::function<double()> maximum;
};

CameraSettingsWindow::CameraSettingsWindow(CameraSettingsWindowController& controller)
    : QWidget(nullptr, Qt::Window), controller_(controller) {
    setObjectName("CameraSettingsWindowController");
    setWindowTitle("Camera Settings");
    buildPanes();
    // Laid out for the custom pane; the first pane change sizes it for the other.
    resize(windowWidth, paneTop + customPane_->height() + footerHeight);
    connect(&controller_, &CameraSettingsWindowController::settingsChanged, this,
            &CameraSettingsWindow::refresh);
    refresh();
}

CameraSettingsWindow::~CameraSettingsWindow() = default;

CameraSettingsWindow::Row& CameraSettingsWindow::addRow(QWidget* pane, int index, const QString& title,
                                                        bool fraction, bool needsCamera) {
    auto row = std::make_unique<Row>();
    row->title = title;
    row->fraction = fraction;
    row->needsCamera = needsCamera;
    const int y = paneMargin + index * rowHeight;
    auto* label = new VTHUDLabel(title, pane);
    label->setGeometry(paneMargin, y, titleWidth, rowHeight);
    row->slider = new VTHUDSlider(pane);
    row->slider->setObjectName(title);
    row->slider->setGeometry(paneMargin + titleWidth, y,
                             windowWidth - titleWidth - valueWidth - 3 * paneMargin, rowHeight);
    row->value = new VTHUDLabel(pane);
    row->value->setGeometry(windowWidth - valueWidth - paneMargin, y, valueWidth, rowHeight);
    Row* raw = row.get();
    connect(raw->slider, &QAbstractSlider::valueChanged, this, [this, raw](int position) {
        if (refreshing_) {
            return;
        }
        raw->write(raw->fraction ? static_cast<double>(position) / fractionSteps
                                 : static_cast<double>(position));
    });
    rows_.push_back(std::move(row));
    return *raw;
}

void CameraSettingsWindow::buildPanes() {
    using Controller = CameraSettingsWindowController;
    auto& c = controller_;
    const auto feature = [&](QWidget* pane, int index, const QString& title,
                             std::uint32_t (Controller::*get)() const, void (Controller::*set)(std::uint32_t),
                             std::uint32_t (Controller::*min)() const,
                             std::uint32_t (Controller::*max)() const) {
        auto& row = addRow(pane, index, title, false, true);
        row.read = [&c, get] { return static_cast<double>((c.*get)()); };
        row.write = [&c, set](double value) { (c.*set)(static_cast<std::uint32_t>(std::max(0.0, value))); };
        row.minimum = [&c, min] { return static_cast<double>((c.*min)()); };
        row.maximum = [&c, max] { return static_cast<double>((c.*max)()); };
    };
    const auto denoise = [&](QWidget* pane, int index) {
        auto& row = addRow(pane, index, "Denoise", true, true);
        row.read = [&c] { return c.denoiseFilterStrength(); };
        row.write = [&c](double value) { c.setDenoiseFilterStrength(value); };
        row.minimum = [] { return 0.0; };
        row.maximum = [] { return 1.0; };
    };

    automaticPane_ = new QWidget(this);
    automaticPane_->setObjectName("automaticCameraControls");
    automaticPane_->resize(windowWidth, paneHeight(2));
    auto& target = addRow(automaticPane_, 0, "Target luminance", true, false);
    target.read = [&c] { return c.targetLuminance(); };
    target.write = [&c](double value) { c.setTargetLuminance(value); };
    target.minimum = [] { return 0.0; };
    target.maximum = [] { return 1.0; };
    denoise(automaticPane_, 1);

    customPane_ = new QWidget(this);
    customPane_->setObjectName("customCameraControls");
    customPane_->resize(windowWidth, paneHeight(9));
    feature(customPane_, 0, "Exposure", &Controller::exposure, &Controller::setExposure,
            &Controller::exposureMin, &Controller::exposureMax);
    feature(customPane_, 1, "Gain", &Controller::gain, &Controller::setGain, &Controller::gainMin,
            &Controller::gainMax);
    feature(customPane_, 2, "Brightness", &Controller::brightness, &Controller::setBrightness,
            &Controller::brightnessMin, &Controller::brightnessMax);
    feature(customPane_, 3, "Gamma", &Controller::gamma, &Controller::setGamma, &Controller::gammaMin,
            &Controller::gammaMax);
    feature(customPane_, 4, "Sharpness", &Controller::sharpness, &Controller::setSharpness,
            &Controller::sharpnessMin, &Controller::sharpnessMax);
    feature(customPane_, 5, "Saturation", &Controller::saturation, &Controller::setSaturation,
            &Controller::saturationMin, &Controller::saturationMax);
    feature(customPane_, 6, "White balance blue", &Controller::whiteBalanceBlue,
            &Controller::setWhiteBalanceBlue, &Controller::whiteBalanceMin, &Controller::whiteBalanceMax);
    feature(customPane_, 7, "White balance red", &Controller::whiteBalanceRed,
            &Controller::setWhiteBalanceRed, &Controller::whiteBalanceMin, &Controller::whiteBalanceMax);
    denoise(customPane_, 8);
    automaticPane_->hide();
    customPane_->hide();

    automaticSwitch_ = new VTHUDButton(this);
    automaticSwitch_->setObjectName("areAutomaticCameraSettingsShown");
    automaticSwitch_->setTitle("Automatic");
    connect(automaticSwitch_, &QAbstractButton::toggled, this, [this](bool checked) {
        if (!refreshing_) {
            controller_.setAreAutomaticCameraSettingsShown(checked);
        }
    });
}

void CameraSettingsWindow::showPane(Pane pane, bool /*animated*/) {
    const int automaticHeight = automaticPane_->height();
    const int customHeight = customPane_->height();
    int difference = 0;
    QWidget* shown = nullptr;
    if (pane == Pane::automatic) {
        difference = automaticPaneInView_ ? 0 : automaticHeight - customHeight;
        customPane_->hide();
        shown = automaticPane_;
        automaticPaneInView_ = true;
    } else {
        difference = automaticPaneInView_ ? customHeight - automaticHeight : 0;
        automaticPane_->hide();
        shown = customPane_;
        automaticPaneInView_ = false;
    }
    const QRect frame = geometry();
    setGeometry(frame.x(), frame.y(), frame.width(), frame.height() + difference);
    shown->move(0, paneTop);
    shown->show();
    automaticSwitch_->setGeometry(paneMargin, height() - footerHeight + paneMargin, titleWidth, rowHeight);
    update();
}

void CameraSettingsWindow::refresh() {
    refreshing_ = true;
    for (auto& row : rows_) {
        refreshRow(*row);
    }
    automaticSwitch_->setChecked(controller_.areAutomaticCameraSettingsShown());
    refreshing_ = false;
}

void CameraSettingsWindow::refreshRow(Row& row) {
    const bool available = !row.needsCamera || (row.fraction ? controller_.denoiseFilter() != nullptr
                                                             : controller_.camera() != nullptr);
    const double value = available ? row.read() : 0.0;
    if (row.fraction) {
        row.slider->setRange(0, fractionSteps);
        row.slider->setValue(sliderPosition(std::round(value * fractionSteps)));
        row.value->setText(QString::number(value, 'f', 2));
    } else {
        row.slider->setRange(available ? sliderPosition(row.minimum()) : 0,
                             available ? sliderPosition(row.maximum()) : 0);
        row.slider->setValue(sliderPosition(value));
        row.value->setText(QString::number(static_cast<qulonglong>(value)));
    }
    row.slider->setEnabled(available);
}

VTHUDSlider* CameraSettingsWindow::slider(const QString& title) const {
    for (const auto& row : rows_) {
        if (row->title == title && row->slider->isVisibleTo(this)) {
            return row->slider;
        }
    }
    for (const auto& row : rows_) {
        if (row->title == title) {
            return row->slider;
        }
    }
    return nullptr;
}

QString CameraSettingsWindow::valueText(const QString& title) const {
    const auto* wanted = slider(title);
    for (const auto& row : rows_) {
        if (row->slider == wanted) {
            return row->value->text();
        }
    }
    return {};
}

void CameraSettingsWindow::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(28, 28, 28));
}

} // namespace Dotfield
