#pragma once
// The on-screen end of the camera's image chain: paints the newest frame,
// scaled to fit with its aspect kept, on black.
//
// Frames arrive on the image-processing queue at the target(). The newest
// replaces one that waits; one repaint at a time is posted to the main
// queue, and only the main thread touches the widget.

#include <memory>
#include <optional>

#include <QImage>
#include <QWidget>

#include "Dotfield/Camera/Capture/IIDCFrame.hpp"

namespace Dotfield {

class RenderView final : public QWidget {
    Q_OBJECT

  public:
    explicit RenderView(QWidget* parent = nullptr);
    ~RenderView() override;

    // What the image chain hands its frames to; outlives the widget safely.
    std::shared_ptr<IIDCFrameTarget> target() const;
    // The frame shown now (main thread), if any.
    const std::optional<IIDCFrame>& shownFrame() const { return shown_; }
    // Frames shown so far.
    std::size_t framesShown() const { return framesShown_; }

  signals:
    void frameShown();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    class Mailbox;
    void show(IIDCFrame frame);

    std::shared_ptr<Mailbox> mailbox_;
    std::optional<IIDCFrame> shown_;
    std::size_t framesShown_ = 0;
};

} // namespace Dotfield
