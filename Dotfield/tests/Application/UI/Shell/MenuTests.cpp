// The main window's menus on the simulated instrument, through the real menu
// actions and key presses, with recording stand-ins for the operator windows.

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

#include "Dotfield/Application/UI/Shell/MainMenu.hpp"
#include "Dotfield/Application/UI/Shell/MainWindow.hpp"
#include "Dotfield/Application/Windows/OperatorWindowRegistry.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Errors/RelayError.hpp"
#include "Dotfield/Instrument/HelperFunctions/PresentError.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/tests/Application/ShellFixture.hpp"

using namespace Dotfield;

namespace {

constexpr auto allWindows = static_cast<std::size_t>(OperatorWindow::count);

const char* const windowActions[] = {
    "showDispenserCalibration:",  "showDispenserDiagnostics:", "showDispenserControls:",
    "showRotationalCalibration:", "showSolutionWells:",        "showSurfaceCantCalibration:",
    "showRelayControls:",         "showTopographyMap:",        "showHumidity:",
    "showPerformanceTesting:",
};

// A stand-in window per operator window: a plain top-level widget that
// counts how often it was made and records when it was closed.
struct StandInWindows {
    std::map<OperatorWindow, std::unique_ptr<QWidget>> widgets;
    std::map<OperatorWindow, int> made;
    std::vector<OperatorWindow> closed;

    void registerAll(OperatorWindowRegistry& registry) {
        for (std::size_t i = 0; i < allWindows; ++i) {
            const auto window = static_cast<OperatorWindow>(i);
            registry.add(window, {.make =
                                      [this, window](AppDelegate&) {
                                          ++made[window];
                                          widgets[window] = std::make_unique<QWidget>();
                                          widgets[window]->setWindowTitle(
                                              QString::fromUtf8(windowControllerName(window).data()));
                                          widgets[window]->resize(200, 100);
                                      },
                                  .show = [this, window] { widgets.at(window)->show(); },
                                  .close =
                                      [this, window] {
                                          closed.push_back(window);
                                          widgets.at(window)->close();
                                      },
                                  .release = [this, window] { widgets.erase(window); }});
        }
        // The testing window asks for confirmation each time it is started and
        // closes when declined.
        registry.updateHooks([this](ShellWindowHooks& hooks) {
            hooks.startPerformanceTestingLoop = [this] {
                presentError(
                    {.content = {.defaultButtonTitle = "OK",
                                 .alternateButtonTitle = "Cancel",
                                 .messageText = "Beginning system test.",
                                 .informativeText = ""},
                     .defaultAction = {},
                     .alternateAction = [this] { widgets.at(OperatorWindow::performanceTesting)->close(); }});
            };
        });
    }
};

class MenuTests : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        beforeLaunch = [this](AppDelegate& made) {
            window = std::make_unique<MainWindow>(true);
            menu = std::make_unique<MainMenu>(*window, made);
            // As in the program: the items follow every window and link that comes or goes.
            made.windows().setWindowsChangedObserver([this] { menu->revalidate(); });
            made.setDeviceStatusObserver([this](ShellDevice device, const std::string& text) {
                statusReports.emplace_back(device, text);
                menu->revalidate();
            });
            standIns.registerAll(made.windows());
        };
    }
    void TearDown() override {
        ShellFixture::TearDown();
        menu.reset();
        window.reset();
        standIns.widgets.clear();
    }

    QAction* action(const char* name) const {
        auto* found = window->menuBar()->findChild<QAction*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // The items enabled once the Windows menu has opened.
    std::set<std::string> enabledWindowItems() const {
        auto* windows = window->menuBar()->findChild<QMenu*>("windowsMenu");
        windows->popup(QPoint(0, 0));
        QApplication::processEvents();
        std::set<std::string> enabled;
        for (const char* name : windowActions) {
            if (action(name)->isEnabled()) {
                enabled.insert(name);
            }
        }
        return enabled;
    }
    void activateMainWindow() {
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    std::unique_ptr<MainWindow> window;
    std::unique_ptr<MainMenu> menu;
    StandInWindows standIns;
};

} // namespace

class MenuStates;

namespace {

struct MenuStateCase {
    const char* name;
    void (*before)(MenuStates&);
    void (*after)(MenuStates&);
    std::set<std::string> enabled;
};

const std::set<std::string> everyWindowItem(std::begin(windowActions), std::end(windowActions));

std::set<std::string> without(std::set<std::string> items, std::initializer_list<std::string> gone) {
    for (const auto& item : gone) {
        items.erase(item);
    }
    return items;
}

} // namespace

class MenuStates : public MenuTests, public ::testing::WithParamInterface<const MenuStateCase*> {
  public:
    // The electronics link lost and its recovery cancelled (the poll stopped).
    // (Unplugging the electronics would take the positioner's dual adapter too.)
    static void loseElectronics(MenuStates& test) {
        const auto electronics = test.delegate->electronics();
        electronics->dispatchTimer().suspend();
        electronics->serialDispatchQueue().sync([&electronics] {
            electronics->serialPort()->closeSerialPort();
            electronics->setSerialPort(nullptr);
        });
    }
    static void noRobot(MenuStates& test) { test.settings->setString("Ovra Dropwright", "productType"); }
    static void dropRelayWindow(MenuStates& test) {
        test.relayBox->unplug();
        test.delegate->errorHandler()(
            std::make_exception_ptr(RelayError(RelayErrorKind::electronicsDisconnected)));
    }
};

TEST_P(MenuStates, EnableTheItemsWhoseHardwareIsThere) {
    const auto& state = *GetParam();
    settings = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    if (state.before) {
        state.before(*this);
    }
    launch();
    ASSERT_TRUE(pumpUntil([this] { return delegate->windows().exists(OperatorWindow::relayControls); }));
    ASSERT_TRUE(pumpUntil([this] { return delegate->windows().exists(OperatorWindow::humidity); }));
    if (state.after) {
        state.after(*this);
    }
    EXPECT_EQ(enabledWindowItems(), state.enabled);
    EXPECT_TRUE(action("showContactInfo:")->isEnabled());
    EXPECT_TRUE(action("terminate:")->isEnabled());
}

namespace {

const MenuStateCase allConnected{"AllConnected", nullptr, nullptr, everyWindowItem};
const MenuStateCase noRobot{"NoRobot", &MenuStates::noRobot, nullptr,
                            without(everyWindowItem, {"showRotationalCalibration:", "showSolutionWells:",
                                                      "showSurfaceCantCalibration:", "showTopographyMap:",
                                                      "showPerformanceTesting:"})};
const MenuStateCase noElectronics{
    "NoElectronics", nullptr, &MenuStates::loseElectronics,
    without(everyWindowItem,
            {"showDispenserCalibration:", "showDispenserDiagnostics:", "showDispenserControls:",
             "showSurfaceCantCalibration:", "showTopographyMap:"})};
const MenuStateCase relayDropped{"RelayWindowDropped", nullptr, &MenuStates::dropRelayWindow,
                                 without(everyWindowItem, {"showRelayControls:"})};

} // namespace

INSTANTIATE_TEST_SUITE_P(States, MenuStates,
                         ::testing::Values(&allConnected, &noRobot, &noElectronics, &relayDropped),
                         [](const auto& testCase) { return std::string(testCase.param->name); });

TEST_F(MenuTests, AWindowNotBuiltHasItsItemDisabled) {
    beforeLaunch = [this](AppDelegate& made) {
        window = std::make_unique<MainWindow>(true);
        menu = std::make_unique<MainMenu>(*window, made);
    };
    launch();
    EXPECT_TRUE(enabledWindowItems().empty());
    EXPECT_FALSE(action("openDocument:")->isEnabled()) << "no document controller";
    EXPECT_TRUE(
        logged("DispenserCalibrationController is not built yet; skipped: load the previous calibration"));
}

TEST_F(MenuTests, ADisabledItemsShortcutDoesNothingAndWindowsMadeOnFirstUseAreMadeOnce) {
    settings = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    settings->setString("Ovra Dropwright", "productType");
    launch();
    activateMainWindow();
    QTest::keyClick(window.get(), Qt::Key_Comma, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_FALSE(action("showPreferences:")->isEnabled());
    EXPECT_EQ(standIns.made.count(OperatorWindow::preferences), 0u) << "no robot: preferences stay unmade";

    // The dispenser controls need the electronics alone.
    action("showDispenserControls:")->trigger();
    action("showDispenserControls:")->trigger();
    EXPECT_EQ(standIns.made[OperatorWindow::dispenserControls], 1);
    EXPECT_TRUE(standIns.widgets.at(OperatorWindow::dispenserControls)->isVisible());
    for (const auto launchWindow : {OperatorWindow::camera, OperatorWindow::dispenserCalibration,
                                    OperatorWindow::topographyMap, OperatorWindow::rotationalCalibration}) {
        EXPECT_EQ(standIns.made[launchWindow], 1) << windowControllerName(launchWindow);
    }
    EXPECT_TRUE(standIns.widgets.at(OperatorWindow::camera)->isVisible()) << "shown at launch";
}

TEST_F(MenuTests, PreferencesByShortcutWithARobotAndThePerformanceTestConfirmedEachTime) {
    launch();
    activateMainWindow();
    QTest::keyClick(window.get(), Qt::Key_Comma, Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_EQ(standIns.made[OperatorWindow::preferences], 1);
    EXPECT_TRUE(standIns.widgets.at(OperatorWindow::preferences)->isVisible());

    alerts->setResponder([](const ErrorAlertContent&) { return AlertResponse::alternateButton; });
    for (int time = 0; time < 2; ++time) {
        action("showPerformanceTesting:")->trigger();
        EXPECT_FALSE(standIns.widgets.at(OperatorWindow::performanceTesting)->isVisible())
            << "Cancel closes it";
    }
    EXPECT_EQ(standIns.made[OperatorWindow::performanceTesting], 1);
    const auto shown = alerts->shownAlerts();
    EXPECT_EQ(std::count_if(shown.begin(), shown.end(),
                            [](const auto& alert) { return alert.messageText == "Beginning system test."; }),
              2);
}

TEST_F(MenuTests, TheFileMenuAnswersTheDesktopsStandardKeys) {
    int opened = 0;
    launch();
    delegate->windows().updateHooks(
        [&opened](ShellWindowHooks& hooks) { hooks.openDocument = [&opened] { ++opened; }; });
    menu->revalidate();
    activateMainWindow();
    QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(opened, 1) << "Ctrl+O opens";
    EXPECT_TRUE(action("performClose:")->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_W)));
    EXPECT_TRUE(action("terminate:")->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Q)));
}

TEST_F(MenuTests, SupportInformationIsAnInformationalNotice) {
    launch();
    action("showContactInfo:")->trigger();
    const auto shown = alerts->shownAlerts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].messageText, "Support Information");
    EXPECT_EQ(shown[0].style, AlertStyle::informational);
    EXPECT_EQ(shown[0].defaultButtonTitle, "OK");
    EXPECT_FALSE(shown[0].alternateButtonTitle);
    EXPECT_NE(shown[0].informativeText.find("Dotfield "), std::string::npos) << "the version";
}

TEST_F(MenuTests, ClosingTheMainWindowClosesTheOthersInOrder) {
    launch();
    window->setWindowClosingOperation([this] { delegate->closeOperatorWindows(); });
    action("showPreferences:")->trigger();
    window->show();
    window->close();
    const std::vector<OperatorWindow> expected{OperatorWindow::dispenserCalibration,
                                               OperatorWindow::dispenserDiagnostics,
                                               OperatorWindow::camera,
                                               OperatorWindow::solutionWells,
                                               OperatorWindow::surfaceCantCalibration,
                                               OperatorWindow::topographyMap,
                                               OperatorWindow::rotationalCalibration,
                                               OperatorWindow::preferences,
                                               OperatorWindow::humidity,
                                               OperatorWindow::relayControls};
    EXPECT_EQ(standIns.closed, expected);
}

TEST_F(MenuTests, TheOpenWindowsMenuShowsDisabledItemsGreyed) {
    settings = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    settings->setString("Ovra Dropwright", "productType");
    launch();
    auto* windows = window->menuBar()->findChild<QMenu*>("windowsMenu");
    windows->popup(QPoint(0, 0));
    QApplication::processEvents();
    const QImage image = windows->grab().toImage();
    std::filesystem::create_directories(DOTFIELD_SCREENSHOT_DIR);
    EXPECT_TRUE(image.save(QString(DOTFIELD_SCREENSHOT_DIR) + "/windows-menu-without-robot.png"));
    // An enabled and a disabled item look different.
    const auto darkest = [&image](const QRect& area) {
        int ink = 255;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                ink = std::min(ink, qGray(image.pixel(x, y)));
            }
        }
        return ink;
    };
    const int enabledInk = darkest(windows->actionGeometry(action("showDispenserCalibration:")));
    const int disabledInk = darkest(windows->actionGeometry(action("showRotationalCalibration:")));
    EXPECT_LT(enabledInk + 40, disabledInk) << "the disabled item is drawn greyed";
    windows->hide();
}
