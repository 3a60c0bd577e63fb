#include "Dotfield/Calibration/UI/DispenserStatePanelWindow.hpp"

#include <cmath>

#include <QGuiApplication>
#include <QLabel>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "Dotfield/Platform/Qt/Widgets/RoundedView.hpp"
#include "Dotfield/Platform/Qt/Widgets/TransparentWindow.hpp"

namespace Dotfield {

namespace {

const QSize panelSize(300, 100);

QString panelText(DispenserStatePanel panel) {
    switch (panel) {
    case DispenserStatePanel::connected:
        return QObject::tr("Dispenser connected");
    case DispenserStatePanel::disconnected:
        return QObject::tr("Dispenser disconnected");
    case DispenserStatePanel::calibrated:
        return QObject::tr("Dispenser calibrated");
    case DispenserStatePanel::recalibrating:
        return QObject::tr("Recalibrating dispenser");
    }
    return {};
}

QString panelName(DispenserStatePanel panel) {
    switch (panel) {
    case DispenserStatePanel::connected:
        return QStringLiteral("dispenserConnectedNotificationView");
    case DispenserStatePanel::disconnected:
        return QStringLiteral("dispenserDisconnectedNotificationView");
    case DispenserStatePanel::calibrated:
        return QStringLiteral("dispenserCalibratedNotificationView");
    case DispenserStatePanel::recalibrating:
        return QStringLiteral("dispenserRecalibratingNotificationView");
    }
    return {};
}

void fade(QWidget* window, double to, std::chrono::milliseconds duration, bool closeWhenDone) {
    auto* animation = new QPropertyAnimation(window, "windowOpacity", window);
    animation->setStartValue(window->windowOpacity());
    animation->setEndValue(to);
    animation->setDuration(static_cast<int>(duration.count()));
    if (closeWhenDone) {
        QObject::connect(animation, &QPropertyAnimation::finished, window, &QWidget::close);
    }
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

} // namespace

QPoint centredPanelOrigin(const QSize& panel, const QRect& screen) {
    const double x = std::round(screen.width() * 0.5 - panel.width() * 0.5);
    const double y = std::round(screen.height() * 0.5 - panel.height() * 0.5);
    return screen.topLeft() + QPoint(static_cast<int>(x), static_cast<int>(y));
}

QWidget* makeDispenserStatePanelContent(DispenserStatePanel panel) {
    auto* content = new QWidget;
    content->setObjectName(panelName(panel));
    content->setAttribute(Qt::WA_TranslucentBackground);
    content->setFixedSize(panelSize);
    auto* label = new QLabel(panelText(panel), content);
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setPointSizeF(15.0);
    font.setBold(true);
    label->setFont(font);
    QPalette white = label->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(white);
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(label);
    return content;
}

TransparentWindow* showDispenserStatePanel(QWidget* content, const DispenserStatePanelTimes& times) {
    const QSize size = content->size();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect screenFrame = screen != nullptr ? screen->geometry() : QRect(QPoint(0, 0), size);
    auto* window = new TransparentWindow(QRect(centredPanelOrigin(size, screenFrame), size));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setObjectName(QStringLiteral("DispenserStatePanel"));
    auto* backdrop = new RoundedView(window);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(backdrop);
    auto* backdropLayout = new QVBoxLayout(backdrop);
    backdropLayout->setContentsMargins(0, 0, 0, 0);
    backdropLayout->addWidget(content);

    window->setWindowOpacity(0.0);
    window->show();
    window->raise();
    window->activateWindow();
    fade(window, 1.0, times.fadeIn, false);
    QTimer::singleShot(times.shown, window, [window, fadeOut = times.fadeOut] { fade(window, 0.0, fadeOut, true); });
    return window;
}

} // namespace Dotfield
