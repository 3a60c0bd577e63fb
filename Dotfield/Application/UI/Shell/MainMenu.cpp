#include "Dotfield/Application/UI/Shell/MainMenu.hpp"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QList>
#include <QMenu>
#include <QMenuBar>

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Application/UI/Shell/MainWindow.hpp"

namespace Dotfield {

namespace {

constexpr const char* openAction = "openDocument:";
constexpr const char* closeWindowAction = "performClose:";
constexpr const char* quitAction = "terminate:";

struct WindowItem {
    const char* title;
    const char* action;
};

constexpr WindowItem windowItems[] = {
    {"Dispenser Calibration", "showDispenserCalibration:"},
    {"Dispenser Diagnostics", "showDispenserDiagnostics:"},
    {"Dispenser Controls", "showDispenserControls:"},
    {"Rotational Calibration", "showRotationalCalibration:"},
    {"Solution Wells", "showSolutionWells:"},
    {"Surface Cant Calibration", "showSurfaceCantCalibration:"},
    {"Relay Controls", "showRelayControls:"},
    {"Topography Map", "showTopographyMap:"},
    {"Humidity", "showHumidity:"},
    {"Performance Test…", "showPerformanceTesting:"},
};

// The desktop's standard keys for a command, with the usual Linux one added
// when the desktop's scheme has none (a Windows-style scheme has no Quit key).
QList<QKeySequence> standardKeys(QKeySequence::StandardKey command, const QKeySequence& linuxKey) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(command);
    if (!keys.contains(linuxKey)) {
        keys.append(linuxKey);
    }
    return keys;
}

} // namespace

MainMenu::MainMenu(MainWindow& window, AppDelegate& delegate)
    : QObject(&window), window_(window), delegate_(delegate) {
    auto* bar = window.menuBar();

    auto* file = bar->addMenu("File");
    file->setObjectName("fileMenu");
    open_ = addCommand(*file, "Open…", openAction);
    open_->setShortcuts(standardKeys(QKeySequence::Open, QKeySequence(Qt::CTRL | Qt::Key_O)));
    openRecent_ = file->addMenu("Open Recent");
    openRecent_->setObjectName("openRecentMenu");
    file->addSeparator();
    addCommand(*file, "Close Window", closeWindowAction)
        ->setShortcuts(standardKeys(QKeySequence::Close, QKeySequence(Qt::CTRL | Qt::Key_W)));
    addCommand(*file, "Quit", quitAction)
        ->setShortcuts(standardKeys(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q)));

    auto* edit = bar->addMenu("Edit");
    edit->setObjectName("editMenu");
    addCommand(*edit, "Preferences…", "showPreferences:")->setShortcut(QKeySequence("Ctrl+,"));

    auto* windows = bar->addMenu("Windows");
    windows->setObjectName("windowsMenu");
    for (const auto& item : windowItems) {
        addCommand(*windows, item.title, item.action);
    }

    auto* help = bar->addMenu("Help");
    help->setObjectName("helpMenu");
    addCommand(*help, "Support Information", "showContactInfo:");

    for (auto* menu : {file, edit, windows, help}) {
        connect(menu, &QMenu::aboutToShow, this, &MainMenu::revalidate);
    }
    revalidate();
}

QAction* MainMenu::addCommand(QMenu& menu, const QString& title, const char* action) {
    auto* item = menu.addAction(title);
    item->setObjectName(action);
    item->setShortcutContext(Qt::ApplicationShortcut);
    const QString name = action;
    connect(item, &QAction::triggered, this, [this, name] { perform(name); });
    // The main window carries the actions too, so their shortcuts work
    // without the menu bar shown (offscreen, or a native menu bar).
    window_.addAction(item);
    return item;
}

void MainMenu::revalidate() {
    const auto hooks = delegate_.windows().hooks();
    for (auto* item : window_.menuBar()->findChildren<QAction*>()) {
        const QString action = item->objectName();
        if (action.isEmpty()) {
            continue;
        }
        if (action == openAction) {
            item->setEnabled(static_cast<bool>(hooks.openDocument));
        } else {
            item->setEnabled(
                delegate_.validateUserInterfaceItem(action.toStdString(), item->text().toStdString()));
        }
    }
}

void MainMenu::perform(const QString& action) {
    if (action == openAction) {
        if (const auto open = delegate_.windows().hooks().openDocument) {
            open();
        }
    } else if (action == closeWindowAction) {
        if (auto* active = QApplication::activeWindow()) {
            active->close();
        } else {
            window_.close();
        }
    } else if (action == quitAction) {
        QApplication::quit();
    } else {
        delegate_.performMenuCommand(action.toStdString());
    }
    revalidate();
}

} // namespace Dotfield
