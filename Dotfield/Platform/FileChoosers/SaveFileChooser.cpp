#include "Dotfield/Platform/FileChoosers/SaveFileChooser.hpp"

#include <mutex>

namespace Dotfield {

namespace {

std::mutex chooserMutex;
std::shared_ptr<SaveFileChooser>& installedChooser() {
    static std::shared_ptr<SaveFileChooser> chooser;
    return chooser;
}

} // namespace

std::shared_ptr<SaveFileChooser> installSaveFileChooser(std::shared_ptr<SaveFileChooser> chooser) {
    const std::lock_guard lock(chooserMutex);
    std::swap(installedChooser(), chooser);
    return chooser;
}

std::shared_ptr<SaveFileChooser> currentSaveFileChooser() {
    const std::lock_guard lock(chooserMutex);
    return installedChooser();
}

std::filesystem::path withDefaultSuffix(std::filesystem::path file, const std::string& defaultSuffix) {
    if (!defaultSuffix.empty() && !file.has_extension()) {
        file += "." + defaultSuffix;
    }
    return file;
}

} // namespace Dotfield
