// The dispenser diagnostics window through its widgets, offscreen, fed from
// a thread of its own as the status poll feeds it.

#include <QApplication>
#include <QImage>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <numbers>
#include <thread>

#include "Dotfield/Calibration/UI/DispenserDiagnosticsController.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Platform/Qt/QtMainThreadBinding.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace Dotfield {
namespace {

constexpr double sd = 2.0;

// Point k: average 600 + 10 k, standard deviation 2, at 200 + 100 k kHz.
DispenserStatistics statistics(double shift = 0.0) {
    const auto point = [&](int k) {
        return StatisticalImpedanceMeasurement{600.0 + 10.0 * k + shift, sd, {Zovudidova::kilohertz(200.0 + 100.0 * k), 2}};
    };
    return {point(0), point(1), point(2), point(3), point(4)};
}

// Every point at its average, but point `away` off by `deviations` x sd.
DispenserStatusReading reading(int away = -1, double deviations = 0.0) {
    DispenserStatusReading result{};
    for (int k = 0; k < 5; ++k) {
        result[static_cast<std::size_t>(k)] = {600.0 + 10.0 * k + (k == away ? deviations * sd : 0.0), 0.0};
    }
    return result;
}

class DispenserDiagnosticsWindow : public ::testing::Test {
  protected:
    DispenserDiagnosticsWindow() { previous = MainQueue::main().bind(std::make_shared<QtMainThreadBinding>()); }
    ~DispenserDiagnosticsWindow() override {
        window.reset();
        QCoreApplication::processEvents();
        MainQueue::main().bind(previous);
    }
    // As the poll does: on a thread of its own.
    void feed(int count, const DispenserStatusReading& readings, const std::optional<DispenserStatistics>& stats) {
        std::thread poll([&] {
            for (int i = 0; i < count; ++i) {
                window->updateWithNewReadings(readings, stats);
            }
        });
        poll.join();
    }
    // Serves events until the condition holds.
    static bool serveUntil(const std::function<bool()>& condition) {
        return Dotfield::Testing::eventually(condition, [] { QTest::qWait(1); });
    }
    // Serves events until the curve holds n points.
    bool curveHolds(int n) {
        return serveUntil([&] { return window->sensorReadingPlot()->count() == n; });
    }
    // Serves events until what was handed to the main queue so far has run.
    static bool mainQueueWorkedThrough() {
        auto ran = std::make_shared<bool>(false);
        MainQueue::main().async([ran] { *ran = true; });
        return serveUntil([&] { return *ran; });
    }
    void save(const char* name) {
        std::filesystem::create_directories(DOTFIELD_SCREENSHOT_DIR);
        EXPECT_TRUE(window->grab().save(QString(DOTFIELD_SCREENSHOT_DIR) + "/" + name + ".png", "PNG"));
    }

    std::shared_ptr<MainThreadBinding> previous;
    std::unique_ptr<DispenserDiagnosticsController> window = std::make_unique<DispenserDiagnosticsController>();
};

TEST_F(DispenserDiagnosticsWindow, ShowsTheNewest200SamplesAgainstTheThreshold) {
    EXPECT_EQ(window->sensorReadingPlot()->count(), 0);
    ASSERT_EQ(window->thresholdPlot()->count(), 2);
    EXPECT_EQ(window->thresholdPlot()->at(0), QPointF(0.0, 0.6));
    EXPECT_EQ(window->thresholdPlot()->at(1), QPointF(200.0, 0.6));

    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    feed(125, reading(), statistics());
    feed(125, reading(0, 15.0 * std::numbers::sqrt2), statistics());
    ASSERT_TRUE(curveHolds(200));
    ASSERT_TRUE(mainQueueWorkedThrough());
    const auto points = window->sensorReadingPlot()->points();
    EXPECT_EQ(points.front().x(), 0.0);
    EXPECT_EQ(points.back().x(), 199.0);
    // 75 samples at the averages, then 125 one unit of deviation off at point 1.
    EXPECT_EQ(points[74].y(), 0.0);
    EXPECT_NEAR(points[75].y(), std::erf(1.0), 1e-12);
    save("DispenserDiagnosticsController");
    // The curve is drawn: dark blue pixels inside the graph.
    const QImage image = window->graphView()->grab().toImage();
    int curve = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            curve += colour.blue() > 80 && colour.red() < 60 && colour.green() < 90 ? 1 : 0;
        }
    }
    EXPECT_GT(curve, 100);
}

TEST_F(DispenserDiagnosticsWindow, NewStatisticsRedrawEverySample) {
    window->show();
    feed(10, reading(), statistics());
    ASSERT_TRUE(curveHolds(10));
    feed(1, reading(), statistics(30.0 * sd));
    ASSERT_TRUE(curveHolds(11));
    ASSERT_TRUE(mainQueueWorkedThrough());
    for (const QPointF& point : window->sensorReadingPlot()->points()) {
        EXPECT_GT(point.y(), 0.99) << point.x();
    }
}

TEST_F(DispenserDiagnosticsWindow, UpdatesWhileHiddenShowWhenTheWindowIsShown) {
    feed(30, reading(), statistics());
    ASSERT_TRUE(mainQueueWorkedThrough());
    EXPECT_EQ(window->sensorReadingPlot()->count(), 0);
    window->show();
    EXPECT_TRUE(curveHolds(30));
}

TEST_F(DispenserDiagnosticsWindow, TheAdvancedPanelTabulatesThePointsAndGrowsTheWindowAtItsBottom) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QTableWidget* table = window->detailTable();
    // Before any sample: the points, zero current values and bars, no statistics.
    QTest::mouseClick(window->advancedOptionsButton(), Qt::LeftButton);
    EXPECT_EQ(table->item(0, 0)->text(), "1");
    EXPECT_EQ(table->item(0, 1)->text(), "");
    EXPECT_EQ(table->item(0, 4)->text(), "0");
    QTest::mouseClick(window->advancedOptionsButton(), Qt::LeftButton);

    const QRect before = window->geometry();
    feed(3, reading(1, 15.0 * std::numbers::sqrt2), statistics());
    QTest::mouseClick(window->advancedOptionsButton(), Qt::LeftButton);
    EXPECT_TRUE(window->advancedOptionsViewCurrentlyVisible());
    const int grown = window->advancedOptionsView()->height() + 10;
    EXPECT_EQ(window->geometry(), QRect(before.x(), before.y(), before.width(), before.height() + grown));
    EXPECT_EQ(window->advancedOptionsView()->geometry().bottom(), window->height() - 10 - 1);
    EXPECT_EQ(window->advancedOptionsView()->x(), 20);

    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(table->item(row, 0)->text(), QString::number(row + 1));
        EXPECT_EQ(table->item(row, 1)->text(), QString::number(200 + 100 * row));
        EXPECT_EQ(table->item(row, 2)->text(), QString::number(600 + 10 * row));
        EXPECT_EQ(table->item(row, 3)->text(), "2");
    }
    const auto bar = [&](int row) { return static_cast<QProgressBar*>(table->cellWidget(row, 5)); };
    EXPECT_EQ(bar(0)->value(), 0);
    EXPECT_EQ(bar(0)->text(), "0.00");
    EXPECT_EQ(bar(1)->text(), "16.85");
    EXPECT_EQ(table->item(1, 4)->text(), QString::number(610.0 + 15.0 * std::numbers::sqrt2 * sd, 'g', 6));
    QApplication::processEvents();
    save("DispenserDiagnosticsController-advanced");

    QTest::mouseClick(window->advancedOptionsButton(), Qt::LeftButton);
    EXPECT_FALSE(window->advancedOptionsViewCurrentlyVisible());
    EXPECT_EQ(window->geometry(), before);
}

TEST_F(DispenserDiagnosticsWindow, UncalibratedSamplesDrawNoCurveAndLeaveTheStatisticsBlank) {
    window->show();
    QTest::mouseClick(window->advancedOptionsButton(), Qt::LeftButton);
    feed(5, reading(), std::nullopt);
    ASSERT_TRUE(mainQueueWorkedThrough());
    QApplication::processEvents();
    EXPECT_EQ(window->sensorReadingPlot()->count(), 0);
    QTableWidget* table = window->detailTable();
    EXPECT_TRUE(serveUntil([&] { return table->item(2, 4)->text() == "620"; }));
    EXPECT_EQ(table->item(2, 2)->text(), "");
    EXPECT_EQ(static_cast<QProgressBar*>(table->cellWidget(2, 5))->value(), 0);
    for (const QPointF& point : window->sensorReadingPlot()->points()) {
        EXPECT_FALSE(std::isnan(point.y()));
    }
}

} // namespace
} // namespace Dotfield
