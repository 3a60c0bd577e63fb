#include "Dotfield/Calibration/UI/CalibrationChartAxes.hpp"

#include <cmath>

#include <QFont>
#include <QPen>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QValueAxis>

namespace Dotfield {

namespace {

constexpr int mostTicks = 200;

} // namespace

QValueAxis* makeCalibrationAxis(double minimum, double maximum, double anchor, double interval, int minorTicks,
                                const QString& title) {
    auto* axis = new QValueAxis;
    axis->setMinorTickCount(minorTicks);
    axis->setLabelFormat("%g");
    axis->setGridLinePen(QPen(QColor::fromRgbF(0.0, 0.0, 0.0, 0.3), 1.0));
    axis->setMinorGridLinePen(QPen(QColor::fromRgbF(0.0, 0.0, 0.0, 0.1), 1.0));
    QFont labels = axis->labelsFont();
    labels.setPointSizeF(12.0);
    axis->setLabelsFont(labels);
    axis->setTitleText(title);
    setCalibrationAxisRange(*axis, minimum, maximum, anchor, interval);
    return axis;
}

void setCalibrationAxisRange(QValueAxis& axis, double minimum, double maximum, double anchor, double interval) {
    axis.setRange(minimum, maximum);
    const double span = std::fabs(maximum - minimum);
    if (std::isfinite(interval) && interval > 0.0 && span / interval <= mostTicks) {
        axis.setTickType(QValueAxis::TicksDynamic);
        axis.setTickAnchor(anchor);
        axis.setTickInterval(interval);
    } else {
        axis.setTickType(QValueAxis::TicksFixed);
        axis.setTickCount(5);
    }
}

QChart* installCalibrationChart(QChartView& view) {
    auto* chart = new QChart;
    chart->setTheme(QChart::ChartThemeLight);
    chart->setBackgroundVisible(false);
    chart->setPlotAreaBackgroundVisible(false);
    chart->legend()->hide();
    chart->setMargins(QMargins(20, 10, 20, 10));
    // The view hands its default chart back when given another.
    const QChart* defaultChart = view.chart();
    view.setChart(chart);
    delete defaultChart;
    view.setRenderHint(QPainter::Antialiasing);
    view.setBackgroundBrush(Qt::white);
    return chart;
}

} // namespace Dotfield
