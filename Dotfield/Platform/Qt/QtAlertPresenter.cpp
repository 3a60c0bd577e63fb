#include "Dotfield/Platform/Qt/QtAlertPresenter.hpp"

#include <QMessageBox>
#include <QPushButton>
#include <QString>

namespace Dotfield {

AlertResponse QtAlertPresenter::runModalAlert(const ErrorAlertContent& content) {
    QMessageBox box;
    box.setIcon(content.style == AlertStyle::informational ? QMessageBox::Information : QMessageBox::Critical);
    box.setText(QString::fromStdString(content.messageText));
    box.setInformativeText(QString::fromStdString(content.informativeText));
    QPushButton* defaultButton =
        box.addButton(QString::fromStdString(content.defaultButtonTitle), QMessageBox::AcceptRole);
    if (content.alternateButtonTitle) {
        QPushButton* alternate =
            box.addButton(QString::fromStdString(*content.alternateButtonTitle), QMessageBox::RejectRole);
        box.setEscapeButton(alternate);
    } else {
        box.setEscapeButton(defaultButton);
    }
    box.setDefaultButton(defaultButton);
    box.exec();
    return box.clickedButton() == defaultButton ? AlertResponse::defaultButton
                                                : AlertResponse::alternateButton;
}

} // namespace Dotfield
