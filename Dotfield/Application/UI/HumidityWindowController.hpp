#pragma once
// The humidity window: the band's two limits (fields and labels), the latest
// humidity and temperature, and a line graph of the latest 200 displayed
// readings. The readings come from the shell's humidity loop, which this
// window hands its display and its limits to.

#include <memory>

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include "Dotfield/Application/Humidity/HumidityHistory.hpp"
#include "Dotfield/Application/Humidity/HumidityLimits.hpp"
#include "Dotfield/Platform/Qt/Widgets/DeviceWindowController.hpp"

class QChart;
class QLabel;
class QLineSeries;
class QValueAxis;
class QWidget;

namespace Dotfield {

class HumidityPollingLoop;
class NumberField;
class UserDefaults;

class HumidityWindowController final : public DeviceWindowController {
    Q_OBJECT

  public:
    // Reads "minHumidity" and "maxHumidity".
    explicit HumidityWindowController(std::shared_ptr<UserDefaults> userDefaults, QObject* parent = nullptr);
    ~HumidityWindowController() override;

    // The loop whose readings this window shows and whose band it sets.
    void setHumidityLoop(std::shared_ptr<HumidityPollingLoop> loop);

    double minHumidity() const { return limits_.minHumidity(); }
    double maxHumidity() const { return limits_.maxHumidity(); }
    // The limit rule; false when the value is refused.
    bool setMinHumidity(double minHumidity);
    bool setMaxHumidity(double maxHumidity);

    // Records one reading and writes the two read-outs; main thread.
    void updateWithNewMeasuredHumidity(double humidity, double temperatureFahrenheit);
    // Scrolls the graph once it is full and redraws the line; main thread.
    void updateGraph();

    const HumidityHistory& history() const { return history_; }
    QValueAxis* xAxis() const { return xAxis_; }

  private:
    QWidget* makeWindow() override;
    void windowDidLoad() override;
    void limitsChanged();
    // Readings may come many times a second: the graph is redrawn at most
    // every graphRedrawInterval, and the latest reading is always drawn.
    void graphChanged();
    void redrawGraph();

    HumidityLimits limits_;
    HumidityHistory history_;
    std::weak_ptr<HumidityPollingLoop> loop_;

    QPointer<QLabel> minHumidityLabel_;
    QPointer<QLabel> maxHumidityLabel_;
    QPointer<QLabel> currentHumidityLabel_;
    QPointer<QLabel> currentTemperatureLabel_;
    QPointer<NumberField> minHumidityField_;
    QPointer<NumberField> maxHumidityField_;
    QLineSeries* humidityLinePlot_ = nullptr;
    QValueAxis* xAxis_ = nullptr;
    QTimer graphTimer_;
    QElapsedTimer sinceGraphRedrawn_;
};

} // namespace Dotfield
