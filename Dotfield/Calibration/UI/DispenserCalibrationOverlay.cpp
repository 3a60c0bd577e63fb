#include "Dotfield/Calibration/UI/DispenserCalibrationOverlay.hpp"

#include <cmath>

#include <QGraphicsBlurEffect>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace Dotfield {

namespace {

constexpr int progressSteps = 1000;

} // namespace

DispenserCalibrationOverlay::DispenserCalibrationOverlay(QWidget* mainView, QWidget* blurredView,
                                                         std::chrono::milliseconds fadeIn,
                                                         std::chrono::milliseconds fadeOut)
    : QWidget(mainView), mainView_(mainView), blurredView_(blurredView), fadeIn_(fadeIn), fadeOut_(fadeOut) {
    setObjectName(QStringLiteral("statisticsGatheringOverlay"));
    setAutoFillBackground(true);
    QPalette shade = palette();
    shade.setColor(QPalette::Window, QColor(255, 255, 255, 110));
    setPalette(shade);

    auto* label = new QLabel(tr("Measuring the dispenser's impedance statistics..."));
    label->setAlignment(Qt::AlignCenter);
    progressBar_ = new QProgressBar;
    progressBar_->setObjectName(QStringLiteral("statisticsGatheringProgressIndicator"));
    progressBar_->setRange(0, progressSteps);
    progressBar_->setTextVisible(false);
    progressBar_->setMaximumWidth(360);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(label);
    layout->addWidget(progressBar_, 0, Qt::AlignHCenter);
    layout->addStretch();

    opacity_ = new QGraphicsOpacityEffect(this);
    opacity_->setOpacity(0.0);
    setGraphicsEffect(opacity_);

    fade_ = new QVariantAnimation(this);
    connect(fade_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) { setLevel(value.toDouble()); });
    connect(fade_, &QVariantAnimation::finished, this, [this] {
        if (!hiding_) {
            return;
        }
        hiding_ = false;
        hide();
        if (blur_ != nullptr) {
            // Deletes the effect.
            blurredView_->setGraphicsEffect(nullptr);
        }
        blurredView_->update();
        mainView_->update();
    });
    hide();
}

void DispenserCalibrationOverlay::showOverlay() {
    hiding_ = false;
    fade_->stop();
    setLevel(0.0);
    setProgress(0.0);
    setGeometry(mainView_->rect());
    if (blur_ == nullptr) {
        blur_ = new QGraphicsBlurEffect;
        blur_->setBlurRadius(0.0);
        blurredView_->setGraphicsEffect(blur_);
    }
    show();
    raise();
    fadeTo(1.0, fadeIn_);
}

void DispenserCalibrationOverlay::hideOverlay() {
    if (isHidden()) {
        return;
    }
    hiding_ = true;
    fadeTo(0.0, fadeOut_);
}

QGraphicsBlurEffect* DispenserCalibrationOverlay::blur() const {
    return blur_;
}

void DispenserCalibrationOverlay::setProgress(double progress) {
    progress_ = progress;
    progressBar_->setValue(static_cast<int>(std::lround(progress * progressSteps)));
}

void DispenserCalibrationOverlay::setLevel(double level) {
    level_ = level;
    opacity_->setOpacity(level);
    if (blur_ != nullptr) {
        blur_->setBlurRadius(blurRadius * level);
    }
}

void DispenserCalibrationOverlay::fadeTo(double level, std::chrono::milliseconds duration) {
    fade_->stop();
    fade_->setStartValue(level_);
    fade_->setEndValue(level);
    fade_->setDuration(static_cast<int>(duration.count()));
    fade_->start();
}

} // namespace Dotfield
