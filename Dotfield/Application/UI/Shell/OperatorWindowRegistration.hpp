#pragma once
// What a window's registration function receives (see
// Dotfield/Application/Windows/OperatorWindowRegistry.hpp for how a window
// plugs in): the registry to add its entry and hooks to, the main window
// (whose centre, setCentralWidget(), holds the manual controls) and the File
// menu's "Open Recent" submenu, which the document controller fills.

class QMenu;

namespace Dotfield {

class MainWindow;
class OperatorWindowRegistry;

struct OperatorWindowRegistration {
    OperatorWindowRegistry& windows;
    MainWindow& mainWindow;
    QMenu& openRecentMenu;
};

// Registers every operator window that is built (OperatorWindowList.cpp).
void registerOperatorWindows(OperatorWindowRegistration& registration);

} // namespace Dotfield
