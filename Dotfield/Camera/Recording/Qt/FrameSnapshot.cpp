#include "Dotfield/Camera/Recording/Qt/FrameSnapshot.hpp"

#include <QImage>
#include <QSaveFile>

namespace Dotfield {

FrameSnapshot::FrameSnapshot(std::filesystem::path url, Completion completion)
    : url_(std::move(url)), completion_(std::move(completion)) {}

void FrameSnapshot::newFrame(const IIDCFrame& frame) {
    if (taken_.exchange(true)) {
        return;
    }
    const std::string failure = savePNG(frame, url_);
    if (completion_) {
        completion_(failure);
    }
}

std::string savePNG(const IIDCFrame& frame, const std::filesystem::path& url) {
    if (frame.bytes == nullptr || frame.width == 0 || frame.height == 0 ||
        frame.bytes->size() < std::size_t{frame.width} * frame.height * 4) {
        return "The frame holds no picture.";
    }
    const QImage image(frame.bytes->data(), static_cast<int>(frame.width), static_cast<int>(frame.height),
                       static_cast<qsizetype>(frame.width) * 4, QImage::Format_ARGB32);
    QSaveFile file(QString::fromStdString(url.string()));
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString().toStdString();
    }
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        return "The picture could not be written: " + file.errorString().toStdString();
    }
    if (!file.commit()) {
        return file.errorString().toStdString();
    }
    return {};
}

} // namespace Dotfield
