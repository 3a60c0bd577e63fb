#include "Dotfield/Camera/UI/RenderView.hpp"

#include <atomic>
#include <mutex>

#include <QPainter>

#include "Dotfield/Platform/MainQueue.hpp"

namespace Dotfield {

class RenderView::Mailbox final : public IIDCFrameTarget, public std::enable_shared_from_this<Mailbox> {
  public:
    explicit Mailbox(RenderView* view) : view_(view) {}

    // Image-processing queue.
    void newFrame(const IIDCFrame& frame) override {
        {
            std::lock_guard lock(mutex_);
            pending_ = frame;
        }
        if (repaintPosted_.exchange(true)) {
            return;
        }
        std::weak_ptr<Mailbox> weak = weak_from_this();
        MainQueue::main().async([weak] {
            if (const auto self = weak.lock()) {
                self->hand();
            }
        });
    }

    // Main thread.
    void detach() { view_ = nullptr; }

  private:
    void hand() {
        std::optional<IIDCFrame> frame;
        {
            std::lock_guard lock(mutex_);
            frame.swap(pending_);
            repaintPosted_ = false;
        }
        if (frame && view_ != nullptr) {
            view_->show(std::move(*frame));
        }
    }

    RenderView* view_; // main thread only
    std::mutex mutex_;
    std::optional<IIDCFrame> pending_;
    std::atomic<bool> repaintPosted_{false};
};

RenderView::RenderView(QWidget* parent) : QWidget(parent), mailbox_(std::make_shared<Mailbox>(this)) {
    setObjectName("videoView");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(160, 120);
}

RenderView::~RenderView() {
    mailbox_->detach();
}

std::shared_ptr<IIDCFrameTarget> RenderView::target() const {
    return mailbox_;
}

void RenderView::show(IIDCFrame frame) {
    shown_ = std::move(frame);
    ++framesShown_;
    update();
    emit frameShown();
}

void RenderView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (!shown_ || shown_->bytes == nullptr || shown_->width == 0 || shown_->height == 0 ||
        shown_->bytes->size() < std::size_t{shown_->width} * shown_->height * 4) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // The frame's pixels are in the surface's own format.
    const QImage image(shown_->bytes->data(), static_cast<int>(shown_->width),
                       static_cast<int>(shown_->height), static_cast<qsizetype>(shown_->width) * 4,
                       QImage::Format_RGB32);
    if (image.size() == size()) {
        // Unscaled, the rows are copied onto the surface as they are.
        painter.drawImage(QPoint(0, 0), image);
        return;
    }
    QSizeF fitted = QSizeF(image.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
    const QRectF place((width() - fitted.width()) / 2.0, (height() - fitted.height()) / 2.0, fitted.width(),
                       fitted.height());
    painter.fillRect(rect(), Qt::black);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(place, image);
}

} // namespace Dotfield
