#pragma once
// The overlay that covers the calibration window while the impedance
// statistics are sampled: the graph behind it blurred (radius 5), a progress
// bar of the sampling. It fades in slowly (5.0 s by default) and out quickly
// (0.5 s); after the fade-out it is taken away with the blur.

#include <chrono>

#include <QPointer>
#include <QWidget>

QT_BEGIN_NAMESPACE
class QGraphicsBlurEffect;
class QGraphicsOpacityEffect;
class QProgressBar;
class QVariantAnimation;
QT_END_NAMESPACE

namespace Dotfield {

class DispenserCalibrationOverlay final : public QWidget {
    Q_OBJECT

  public:
    static constexpr double blurRadius = 5.0;

    // Lies over mainView when shown and blurs blurredView.
    DispenserCalibrationOverlay(QWidget* mainView, QWidget* blurredView, std::chrono::milliseconds fadeIn,
                                std::chrono::milliseconds fadeOut);

    // Progress 0, transparent, over the whole main view, then the fade-in.
    void showOverlay();
    // The fade-out, then the overlay and the blur are taken away.
    void hideOverlay();
    // A fraction from 0 to 1.
    void setProgress(double progress);
    double progress() const { return progress_; }
    QProgressBar* progressBar() const { return progressBar_; }
    // 0 (invisible) to 1 (fully in).
    double level() const { return level_; }
    // The graph's blur while the overlay is up, else none.
    QGraphicsBlurEffect* blur() const;

  private:
    void setLevel(double level);
    void fadeTo(double level, std::chrono::milliseconds duration);

    QWidget* const mainView_;
    QWidget* const blurredView_;
    const std::chrono::milliseconds fadeIn_;
    const std::chrono::milliseconds fadeOut_;
    QProgressBar* progressBar_ = nullptr;
    QGraphicsOpacityEffect* opacity_ = nullptr;
    QPointer<QGraphicsBlurEffect> blur_;
    QVariantAnimation* fade_ = nullptr;
    double level_ = 0.0;
    double progress_ = 0.0;
    bool hiding_ = false;
};

} // namespace Dotfield
