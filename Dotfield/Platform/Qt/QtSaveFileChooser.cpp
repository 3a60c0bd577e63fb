#include "Dotfield/Platform/Qt/QtSaveFileChooser.hpp"

#include <QFileDialog>

namespace Dotfield {

std::optional<std::filesystem::path> QtSaveFileChooser::chooseSaveFile(const SaveFileRequest& request) {
    QFileDialog dialog;
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromStdString(request.nameFilter));
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultSuffix));
    dialog.setDirectory(QString::fromStdString(request.proposedFile.parent_path().string()));
    dialog.selectFile(QString::fromStdString(request.proposedFile.filename().string()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

} // namespace Dotfield
