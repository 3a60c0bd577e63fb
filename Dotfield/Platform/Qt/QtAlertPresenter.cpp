#include "Dotfield/Platform/Qt/QtAlertPresenter.hpp"

#include <QMessageBox>
#include <QPushButton>
#include <QString>

#include "Dotfield/Platform/Log.hpp"

namespace Dotfield {

AlertResponse QtAlertPresenter::runModalAlert(const ErrorAlertContent& content) {
    // The run waits for the operator from here on: the log says on what.
    writeLogLine("Alert: " + content.messageText);
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
