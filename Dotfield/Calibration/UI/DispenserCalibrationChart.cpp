#include "Dotfield/Calibration/UI/DispenserCalibrationChart.hpp"

#include <QPen>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include "Dotfield/Calibration/UI/CalibrationChartAxes.hpp"

namespace Dotfield {

namespace {

const QColor scanLineColour(28, 54, 100);
const QColor firstPointColour(255, 0, 0);
const QColor otherPointsColour(0, 255, 0);

} // namespace

DispenserCalibrationChart::DispenserCalibrationChart(QWidget* parent) : QChartView(parent) {
    appendedScanPointsDrawing_.setSingleShot(true);
    appendedScanPointsDrawing_.setInterval(0);
    connect(&appendedScanPointsDrawing_, &QTimer::timeout, this, &DispenserCalibrationChart::drawAppendedScanPoints);
    QChart* chart = installCalibrationChart(*this);
    chart->setMargins(QMargins(10, 10, 10, 10));

    frequencyAxis_ = makeCalibrationAxis(200.0, 600.0, 200.0, 100.0, 2, tr("Frequency (kHz)"));
    // Labels at 45 degrees, rising to the right (Qt turns positive angles clockwise).
    frequencyAxis_->setLabelsAngle(-45);
    amplitudeAxis_ = makeCalibrationAxis(-2.0, 1098.0, 0.0, 200.0, 5, tr("Amplitude (Arb. units)"));
    chart->addAxis(frequencyAxis_, Qt::AlignBottom);
    chart->addAxis(amplitudeAxis_, Qt::AlignLeft);

    scanSeries_ = new QLineSeries;
    scanSeries_->setName(QStringLiteral("Data Source Plot"));
    scanSeries_->setPen(QPen(scanLineColour, 2.0));
    surfaceSensingSeries_ = new QScatterSeries;
    surfaceSensingSeries_->setName(QStringLiteral("Surface Sensing Frequencies Plot"));
    surfaceSensingSeries_->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
    surfaceSensingSeries_->setMarkerSize(10.0);
    surfaceSensingSeries_->setColor(otherPointsColour);
    surfaceSensingSeries_->setPen(QPen(Qt::NoPen));
    for (QXYSeries* series : {static_cast<QXYSeries*>(scanSeries_), static_cast<QXYSeries*>(surfaceSensingSeries_)}) {
        chart->addSeries(series);
        series->attachAxis(frequencyAxis_);
        series->attachAxis(amplitudeAxis_);
    }
}

void DispenserCalibrationChart::appendScanPoint(const QPointF& point) {
    appendedScanPoints_.append(point);
    if (!appendedScanPointsDrawing_.isActive()) {
        appendedScanPointsDrawing_.start();
    }
}

void DispenserCalibrationChart::drawAppendedScanPoints() {
    appendedScanPointsDrawing_.stop();
    if (appendedScanPoints_.isEmpty()) {
        return;
    }
    QList<QPointF> points = scanSeries_->points();
    points.append(appendedScanPoints_);
    appendedScanPoints_.clear();
    scanSeries_->replace(points);
}

void DispenserCalibrationChart::setScanPoints(const QList<QPointF>& points) {
    appendedScanPointsDrawing_.stop();
    appendedScanPoints_.clear();
    scanSeries_->replace(points);
}

void DispenserCalibrationChart::setSurfaceSensingPoints(const QList<QPointF>& points) {
    surfaceSensingSeries_->clearPointsConfiguration();
    surfaceSensingSeries_->replace(points);
    if (!points.isEmpty()) {
        surfaceSensingSeries_->setPointConfiguration(
            0, {{QXYSeries::PointConfiguration::Color, firstPointColour}});
    }
}

} // namespace Dotfield
