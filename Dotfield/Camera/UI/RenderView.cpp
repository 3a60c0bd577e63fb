#include "Dotfield/Camera/UI/RenderView.hpp"

#include <atomic>
#include <bit>
#include <cstring>
#include <mutex>

#include <QPainter>

#include "Dotfield/Platform/MainQueue.hpp"

namespace Dotfield {

namespace {

// RGBA bytes to the 0xffRRGGBB words of QImage::Format_RGB32, the format the
// window's surface is painted in, so painting is a copy of rows.
void copyToRGB32(const std::uint8_t* rgba, std::size_t pixels, std::uint32_t* rgb32) {
    constexpr bool littleEndian = std::endian::native == std::endian::little;
    for (std::size_t i = 0; i < pixels; ++i) {
        std::uint32_t word = 0;
        std::memcpy(&word, rgba + i * 4, 4);
        rgb32[i] = littleEndian
                       ? 0xFF000000U | ((word & 0xFFU) << 16) | (word & 0xFF00U) | ((word >> 16) & 0xFFU)
                       : 0xFF000000U | (word >> 8);
    }
}

} // namespace

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
    imageCurrent_ = false;
    ++framesShown_;
    update();
    emit frameShown();
}

// The shown frame in the surface's format, made once per frame painted.
const QImage* RenderView::shownImage() {
    if (!shown_ || shown_->bytes == nullptr || shown_->width == 0 || shown_->height == 0 ||
        shown_->bytes->size() < std::size_t{shown_->width} * shown_->height * 4) {
        return nullptr;
    }
    const QSize size(static_cast<int>(shown_->width), static_cast<int>(shown_->height));
    if (!imageCurrent_) {
        if (image_.size() != size) {
            image_ = QImage(size, QImage::Format_RGB32);
        }
        // Rows of a 32-bit image carry no padding.
        copyToRGB32(shown_->bytes->data(), std::size_t{shown_->width} * shown_->height,
                    reinterpret_cast<std::uint32_t*>(image_.bits()));
        imageCurrent_ = true;
    }
    return &image_;
}

void RenderView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QImage* image = shownImage();
    if (image == nullptr) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    if (image->size() == size()) {
        // Unscaled: the rows are copied onto the surface as they are.
        painter.drawImage(QPoint(0, 0), *image);
        return;
    }
    QSizeF fitted = QSizeF(image->size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
    const QRectF place((width() - fitted.width()) / 2.0, (height() - fitted.height()) / 2.0, fitted.width(),
                       fitted.height());
    painter.fillRect(rect(), Qt::black);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(place, *image);
}

} // namespace Dotfield
