// The humidity window through its widgets: the limits, the read-outs and the
// scrolling graph, fed by the humidity loop on the simulated sensor.

#include <memory>
#include <thread>

#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QLineEdit>
#include <QValueAxis>
#include <QWidget>

#include <gtest/gtest.h>

#include "Dotfield/Application/Humidity/HumidityPollingLoop.hpp"
#include "Dotfield/Application/UI/HumidityWindowController.hpp"
#include "Dotfield/Instrument/Humidity/HumiditySensor.hpp"
#include "Dotfield/tests/Application/UI/DeviceWindowFixture.hpp"

using namespace Dotfield;

namespace {

class HumidityWindowTest : public Dotfield::testing::DeviceWindowFixture {
  protected:
    void makeWindow() {
        controller = std::make_unique<HumidityWindowController>(store);
        window = controller->window();
        window->show();
    }

    QLineEdit* field(const char* name) const { return window->findChild<QLineEdit*>(name); }
    QString label(const char* name) const { return window->findChild<QLabel*>(name)->text(); }

    std::unique_ptr<HumidityWindowController> controller;
    QWidget* window = nullptr;
};

} // namespace

// A limit pushed to within 0.5 of the other moves the other to 1.0 away;
// both are stored and shown. Entries outside 0 to 100 are refused.
TEST_F(HumidityWindowTest, TheLimitRuleKeepsTheBandOpenAndRefusesOutOfRangeEntries) {
    store->setDouble(40.3, "maxHumidity");
    makeWindow();
    EXPECT_EQ(label("minHumidityLabel"), "0.0%");
    type(field("minHumidity"), "40.0");
    EXPECT_EQ(store->doubleForKey("minHumidity"), 40.0);
    EXPECT_EQ(store->doubleForKey("maxHumidity"), 41.0);
    EXPECT_EQ(label("maxHumidityLabel"), "41.0%");
    EXPECT_EQ(field("maxHumidity")->text(), "41.0");

    type(field("maxHumidity"), "39.7");
    EXPECT_DOUBLE_EQ(controller->minHumidity(), 38.7);
    EXPECT_DOUBLE_EQ(store->doubleForKey("minHumidity").value_or(0.0), 38.7);

    for (const char* entry : {"-1", "100.5", "nan", "forty"}) {
        type(field("maxHumidity"), entry);
        EXPECT_EQ(field("maxHumidity")->text(), "39.7") << entry;
    }
    type(field("minHumidity"), "100");
    EXPECT_DOUBLE_EQ(controller->minHumidity(), 38.7) << "a minimum of 100 would push the maximum past 100";
}

TEST_F(HumidityWindowTest, KeepsTheLatest200DisplayedReadingsAndScrollsTheGraph) {
    makeWindow();
    for (int i = 0; i < 250; ++i) {
        controller->updateWithNewMeasuredHumidity(30.0 + (i % 40), 70.0);
        controller->updateGraph();
    }
    ASSERT_EQ(controller->history().samples().size(), 200u);
    EXPECT_EQ(controller->history().samples().front().index, 50);
    EXPECT_EQ(controller->xAxis()->min(), 50.0);
    EXPECT_EQ(controller->xAxis()->max(), 250.0);
    EXPECT_EQ(label("currentHumidityLabel"), "Current humidity: 39.0%");
    EXPECT_EQ(label("currentTemperatureLabel"), "Current temperature: 70.0 °F");

    const QImage image = grabAndSave(window, "humidity-window");
    EXPECT_TRUE(containsColour(image, QColor(28, 54, 100))) << "the humidity line is drawn";
}

// The loop on the simulated sensor shows its readings in the window and
// takes the window's band.
TEST_F(HumidityWindowTest, ShowsTheLoopsReadingsAndHandsItTheBand) {
    makeWindow();
    instrument->humiditySensor()->setReading(25.0, 47.5);
    auto loop = std::make_shared<HumidityPollingLoop>(HumiditySensor::connectToHumiditySensor(), *store,
                                                      HumidityPollingLoop::Handlers{});
    controller->setHumidityLoop(loop);
    type(field("maxHumidity"), "60");
    EXPECT_EQ(loop->maxHumidity(), 60.0);
    std::thread thread([&loop] { loop->run(); });
    const bool shown = pumpUntil([&] { return label("currentHumidityLabel") == "Current humidity: 47.5%"; });
    // The graph catches up with the readings too, however often they come.
    const auto* series =
        qobject_cast<QLineSeries*>(window->findChild<QChartView*>("humidityGraphView")->chart()->series().front());
    const bool drawn = pumpUntil([&] { return series->count() > 0 && series->points().back().y() == 47.5; });
    loop->stopReading();
    thread.join();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(drawn);
    EXPECT_EQ(label("currentTemperatureLabel"), "Current temperature: 77.0 °F");
}
