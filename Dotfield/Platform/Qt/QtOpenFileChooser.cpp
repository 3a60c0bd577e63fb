#include "Dotfield/Platform/Qt/QtOpenFileChooser.hpp"

#include <QFileDialog>

namespace Dotfield {

std::optional<std::filesystem::path> QtOpenFileChooser::chooseOpenFile(const OpenFileRequest& request) {
    QFileDialog dialog;
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QString::fromStdString(request.nameFilter));
    if (!request.folder.empty()) {
        dialog.setDirectory(QString::fromStdString(request.folder.string()));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

} // namespace Dotfield
