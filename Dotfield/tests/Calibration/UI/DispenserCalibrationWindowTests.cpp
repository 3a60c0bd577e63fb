// The dispenser calibration window offscreen: a run through its button on
// the simulated electronics, its graph, overlay and state panels, and the
// rounded view and transparent window the panels are made of.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include <QApplication>
#include <QGraphicsBlurEffect>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <QtTest/QTest>

#include "Dotfield/Calibration/UI/DispenserCalibrationChart.hpp"
#include "Dotfield/Calibration/UI/DispenserCalibrationController.hpp"
#include "Dotfield/Calibration/UI/DispenserCalibrationOverlay.hpp"
#include "Dotfield/Instrument/DispenserStatus/NoiseCalculationArrays.hpp"
#include "Dotfield/Platform/Qt/Widgets/RoundedView.hpp"
#include "Dotfield/Platform/Qt/Widgets/TransparentWindow.hpp"
#include "Dotfield/tests/Calibration/DispenserCalibration/DispenserCalibrationFixture.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield::testing {
namespace {

using namespace std::chrono_literals;

// Short fades, so the tests see them end.
DispenserCalibrationWindowTimes quickTimes() {
    return {20ms, 20ms, {20ms, 300ms, 20ms}};
}

QImage savedGrab(QWidget& widget, const std::string& name) {
    const QImage image = widget.grab().toImage();
    std::filesystem::create_directories(DOTFIELD_SCREENSHOT_DIR);
    image.save(QString::fromStdString(std::string(DOTFIELD_SCREENSHOT_DIR) + "/" + name + ".png"));
    return image;
}

int pixelsNear(const QImage& image, const QColor& colour, int tolerance = 40) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            count += std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green()) +
                                 std::abs(pixel.blue() - colour.blue()) <=
                             tolerance
                         ? 1
                         : 0;
        }
    }
    return count;
}

class DispenserCalibrationWindow : public DispenserCalibrationFixture {
  protected:
    void SetUp() override {
        DispenserCalibrationFixture::SetUp();
        window = std::make_unique<DispenserCalibrationController>(
            DispenserCalibrationEnvironment{store, std::nullopt, [file = scanFile] { return file; }}, quickTimes());
        window->calibration().setElectronics(object);
        window->calibration().setErrorHandler([this](std::exception_ptr) { ++windowErrors; });
    }

    void TearDown() override {
        object->serialDispatchQueue().sync([] {});
        serveUntil([] { return true; });
        window.reset();
        DispenserCalibrationFixture::TearDown();
    }

    // Serves the main queue and Qt's events until the condition holds.
    bool serveUntil(const std::function<bool()>& condition) {
        return mainThread.pump().runUntil(
            [&] {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                return condition();
            },
            Dotfield::Testing::eventuallyLimit);
    }

    void waitForWindowRun() {
        ASSERT_TRUE(serveUntil([&] {
            return !window->calibrationInProgress() && object->serialDispatchQueue().sync([] { return true; });
        }));
        ASSERT_TRUE(serveUntil([&] { return window->overlay()->isHidden(); }));
    }

    std::unique_ptr<DispenserCalibrationController> window;
    int windowErrors = 0;
};

TEST_P(DispenserCalibrationWindow, ButtonPlotsTheScanPointByPointAndMarksTheFivePoints) {
    window->show();
    // The line grows as the points arrive, never shrinking, up to the whole scan.
    QList<int> lineCounts;
    QObject::connect(window->chart()->scanSeries(), &QXYSeries::pointsReplaced,
                     [&] { lineCounts.append(window->chart()->scanSeries()->count()); });
    double highestProgress = 0.0;
    QObject::connect(window->overlay()->progressBar(), &QProgressBar::valueChanged,
                     [&] { highestProgress = std::max(highestProgress, window->overlay()->progress()); });

    QTest::mouseClick(window->calibrateButton(), Qt::LeftButton);
    EXPECT_EQ(window->calibrateButton()->text(), "Stop calibration");
    waitForWindowRun();

    EXPECT_EQ(windowErrors, 0);
    ASSERT_FALSE(lineCounts.isEmpty());
    EXPECT_TRUE(std::is_sorted(lineCounts.begin(), lineCounts.end()));
    EXPECT_EQ(lineCounts.back(), 401);
    EXPECT_EQ(window->chart()->scanSeries()->count(), 401);
    EXPECT_DOUBLE_EQ(highestProgress, 29.0 / 30.0);
    EXPECT_EQ(window->calibrateButton()->text(), "Calibrate dispenser");
    EXPECT_EQ(window->statusLine()->text(), "Calibrated");
    EXPECT_EQ(window->chart()->graphicsEffect(), nullptr);

    // Five triangles: the first red, the others green, at the statistics.
    const auto* triangles = window->chart()->surfaceSensingSeries();
    ASSERT_EQ(triangles->count(), 5);
    EXPECT_EQ(window->numberOfRecords(DispenserCalibrationController::Plot::surfaceSensingFrequencies), 5);
    const auto statistics = object->dispenserStatistics();
    ASSERT_TRUE(statistics.has_value());
    for (int i = 0; i < 5; ++i) {
        const auto& statistic = (*statistics)[static_cast<std::size_t>(i)];
        EXPECT_DOUBLE_EQ(triangles->at(i).x(),
                         statistic.measurementSettings.frequency.value(Zovudidova::FrequencyUnit::kilohertz));
        EXPECT_DOUBLE_EQ(triangles->at(i).y(), statistic.averageImpedanceMagnitude);
    }
    EXPECT_EQ(triangles->pointConfiguration(0).value(QXYSeries::PointConfiguration::Color).value<QColor>(),
              QColor(255, 0, 0));
    EXPECT_EQ(triangles->color(), QColor(0, 255, 0));

    const QImage image = savedGrab(*window, std::string("dispenser-calibration-") +
                                                (GetParam() == Generation::originalDesign ? "original" : "redesign"));
    EXPECT_GT(pixelsNear(image, QColor(28, 54, 100)), 300);
    EXPECT_GT(pixelsNear(image, QColor(255, 0, 0)), 10);
    EXPECT_GT(pixelsNear(image, QColor(0, 255, 0)), 20);
}

TEST_P(DispenserCalibrationWindow, DisconnectionWithTheWindowNeverShownClearsAndShowsItsPanel) {
    window->calibration().calibrate();
    waitForWindowRun();
    ASSERT_TRUE(std::filesystem::exists(scanFile));
    ASSERT_FALSE(window->isVisible());

    window->calibration().dispenserDisconnected();
    serveUntil([] { return true; });

    EXPECT_FALSE(std::filesystem::exists(scanFile));
    EXPECT_FALSE(loadNoiseCalculationArrays(*store).has_value());
    EXPECT_EQ(window->chart()->scanSeries()->count(), 0);
    EXPECT_EQ(window->chart()->surfaceSensingSeries()->count(), 0);
    EXPECT_FALSE(window->isVisible());

    const QPointer<TransparentWindow> panel = window->lastStatePanel();
    ASSERT_FALSE(panel.isNull());
    EXPECT_TRUE(panel->isVisible());
    EXPECT_NE(panel->findChild<QWidget*>("dispenserDisconnectedNotificationView"), nullptr);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(panel->geometry().topLeft(), centredPanelOrigin(panel->size(), screen));
    ASSERT_TRUE(serveUntil([&] { return panel.isNull() || panel->windowOpacity() > 0.99; }));
    if (!panel.isNull()) {
        savedGrab(*panel, "dispenser-state-panel");
    }
    // Faded out, closed and deleted.
    EXPECT_TRUE(serveUntil([&] { return panel.isNull(); }));
}

INSTANTIATE_TEST_SUITE_P(BothGenerations, DispenserCalibrationWindow,
                         ::testing::Values(Generation::originalDesign, Generation::redesign2016), generationName);

TEST(DispenserCalibrationOverlay, BlursTheGraphWhileUpShowsProgressAndGoesAwayAfterItsFade) {
    QWidget mainView;
    mainView.resize(400, 300);
    QWidget graph(&mainView);
    graph.resize(400, 300);
    DispenserCalibrationOverlay overlay(&mainView, &graph, 20ms, 20ms);
    mainView.show();

    overlay.showOverlay();
    EXPECT_TRUE(overlay.isVisible());
    EXPECT_EQ(overlay.geometry(), mainView.rect());
    ASSERT_TRUE(QTest::qWaitFor([&] { return overlay.level() >= 1.0; }, 2000));
    ASSERT_NE(graph.graphicsEffect(), nullptr);
    EXPECT_DOUBLE_EQ(static_cast<QGraphicsBlurEffect*>(graph.graphicsEffect())->blurRadius(), 5.0);
    overlay.setProgress(29.0 / 30.0);
    EXPECT_EQ(overlay.progressBar()->value(), 967);

    overlay.hideOverlay();
    EXPECT_TRUE(overlay.isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return overlay.isHidden(); }, 2000));
    EXPECT_EQ(graph.graphicsEffect(), nullptr);

    // Shown again, the progress starts from nothing.
    overlay.showOverlay();
    EXPECT_EQ(overlay.progressBar()->value(), 0);
    EXPECT_DOUBLE_EQ(overlay.level(), 0.0);
}

TEST(DispenserStatePanel, IsCentredOnTheScreenRoundingHalvesAwayFromZero) {
    struct Case {
        QSize panel;
        QRect screen;
        QPoint origin;
    };
    const Case cases[] = {
        {{300, 100}, {0, 0, 1440, 900}, {570, 400}},
        {{300, 100}, {0, 0, 1441, 900}, {571, 400}},
        {{300, 101}, {0, 0, 1440, 900}, {570, 400}},
        {{300, 100}, {1440, 0, 1440, 900}, {2010, 400}},
        {{300, 100}, {-1920, 200, 1920, 1080}, {-1110, 690}},
        {{501, 100}, {0, 0, 500, 900}, {-1, 400}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(centredPanelOrigin(c.panel, c.screen), c.origin)
            << c.panel.width() << "x" << c.panel.height() << " on " << c.screen.x() << "," << c.screen.y() << " "
            << c.screen.width() << "x" << c.screen.height();
    }
}

// The view rendered on a transparent image, wholly or only within a region.
QImage renderOnClear(QWidget& view, const QRegion& region = {}) {
    QImage image(view.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    // A region is drawn at the offset given, so it goes where it lies in the view.
    view.render(&image, region.boundingRect().topLeft(), region, QWidget::DrawChildren);
    return image;
}

TEST(RoundedView, PaintsAHalfTransparentBlackRoundedShapeAlsoOnAPartialRepaint) {
    RoundedView view;
    view.resize(200, 120);
    const QImage whole = renderOnClear(view);
    const QColor centre = whole.pixelColor(100, 60);
    EXPECT_EQ(centre.rgb() & 0xFFFFFF, 0u);
    EXPECT_NEAR(centre.alphaF(), 0.45, 0.01);
    EXPECT_EQ(whole.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(whole.pixelColor(199, 119).alpha(), 0);
    EXPECT_EQ(whole.pixelColor(3, 60).alpha(), centre.alpha());

    // A small box inside the shape: its corners are painted too.
    const QImage part = renderOnClear(view, QRegion(80, 50, 40, 20));
    for (const QPoint corner : {QPoint(80, 50), QPoint(119, 50), QPoint(80, 69), QPoint(119, 69)}) {
        EXPECT_NEAR(part.pixelColor(corner).alphaF(), 0.45, 0.01) << corner.x() << "," << corner.y();
    }
    EXPECT_EQ(part.pixelColor(100, 30).alpha(), 0);
    EXPECT_EQ(part.pixelColor(0, 0).alpha(), 0);
}

TEST(TransparentWindow, IsBorderlessClearOnTopAndMovesWithTheGrabbedPoint) {
    TransparentWindow window(QRect(100, 100, 300, 100));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::NoDropShadowWindowHint));
    EXPECT_TRUE(window.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_NE(window.focusPolicy(), Qt::NoFocus);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.pos(), QPoint(100, 100));

    const QPointF grabbed(130, 40);
    QMouseEvent press(QEvent::MouseButtonPress, grabbed, window.mapToGlobal(grabbed), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &press);
    EXPECT_EQ(window.initialLocation(), grabbed);
    const QPointF pointer = window.mapToGlobal(grabbed) + QPointF(55, -30);
    QMouseEvent drag(QEvent::MouseMove, window.mapFromGlobal(pointer), pointer, Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&window, &drag);
    EXPECT_EQ(window.pos(), QPoint(155, 70));
    EXPECT_EQ(window.mapToGlobal(grabbed), pointer);
}

} // namespace
} // namespace Dotfield::testing
