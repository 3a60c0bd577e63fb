#pragma once
// The main window's menus: File (Open…, Open Recent, Close Window, Quit), Edit
// (Preferences…), Windows (the ten operator windows) and Help (Support
// Information). Each item carries its action as its object name
// ("showPreferences:", ...); the delegate decides whether it is enabled, again
// whenever a menu opens and whenever revalidate() is called (a link or a
// window came or went), so a disabled item's shortcut does nothing either.
// The shortcuts work in every window of the application.

#include <QObject>

class QAction;
class QMenu;

namespace Dotfield {

class AppDelegate;
class MainWindow;

class MainMenu final : public QObject {
    Q_OBJECT

  public:
    // The delegate outlives the menus.
    MainMenu(MainWindow& window, AppDelegate& delegate);

    // Filled by the document controller.
    QMenu& openRecentMenu() { return *openRecent_; }
    // Recomputes which items are enabled. Main thread.
    void revalidate();

  private:
    QAction* addCommand(QMenu& menu, const QString& title, const char* action);
    void perform(const QString& action);

    MainWindow& window_;
    AppDelegate& delegate_;
    QMenu* openRecent_ = nullptr;
    QAction* open_ = nullptr;
};

} // namespace Dotfield
