#include "Dotfield/Platform/FileChoosers/OpenFileChooser.hpp"

#include <mutex>

namespace Dotfield {

namespace {

std::mutex chooserMutex;
std::shared_ptr<OpenFileChooser>& installedChooser() {
    static std::shared_ptr<OpenFileChooser> chooser;
    return chooser;
}

} // namespace

std::shared_ptr<OpenFileChooser> installOpenFileChooser(std::shared_ptr<OpenFileChooser> chooser) {
    const std::lock_guard lock(chooserMutex);
    std::swap(installedChooser(), chooser);
    return chooser;
}

std::shared_ptr<OpenFileChooser> currentOpenFileChooser() {
    const std::lock_guard lock(chooserMutex);
    return installedChooser();
}

} // namespace Dotfield
