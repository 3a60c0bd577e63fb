#include "Dotfield/Calibration/UI/SurfaceCantGraph.hpp"

#include <algorithm>

#include <QFont>
#include <QList>
#include <QPen>
#include <QPointF>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include "Dotfield/Calibration/UI/CalibrationChartAxes.hpp"

namespace Dotfield {

namespace {

const QColor dataColour(28, 54, 100);

QList<QPointF> chartPoints(const std::vector<SurfaceCantGraphPoint>& values) {
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(values.size()));
    for (const SurfaceCantGraphPoint& value : values) {
        points.append(QPointF(value.distance, value.height));
    }
    return points;
}

void applyAxis(QValueAxis& axis, const SurfaceCantGraphAxis& bounds) {
    // The wider interval first, so that no moment has the new range ticked
    // at the old, finer interval.
    axis.setTickInterval(std::max(axis.tickInterval(), bounds.majorInterval));
    // Ticks counted from 0, so the start of the line always has one.
    setCalibrationAxisRange(axis, bounds.minimum, bounds.maximum, 0.0, bounds.majorInterval);
    axis.setMinorTickCount(bounds.minorTicksPerInterval);
}

} // namespace

SurfaceCantGraph::SurfaceCantGraph(QWidget* parent) : QChartView(parent) {
    QChart* chart = installCalibrationChart(*this);
    const SurfaceCantGraphBounds bounds = surfaceCantGraphBounds(1.0);
    distanceAxis_ = makeCalibrationAxis(bounds.distance.minimum, bounds.distance.maximum, 0.0,
                                             bounds.distance.majorInterval, bounds.distance.minorTicksPerInterval,
                                             tr("Distance from start (µm)"));
    // Labels at 45 degrees, rising to the right (Qt turns positive angles clockwise).
    distanceAxis_->setLabelsAngle(-45);
    heightAxis_ = makeCalibrationAxis(bounds.height.minimum, bounds.height.maximum, 0.0,
                                           bounds.height.majorInterval, bounds.height.minorTicksPerInterval,
                                           tr("Surface height (µm)"));
    // Labels 12 pixels high, and room on the right for the last distance label.
    for (QValueAxis* axis : {distanceAxis_, heightAxis_}) {
        QFont labels = axis->labelsFont();
        labels.setPixelSize(12);
        axis->setLabelsFont(labels);
    }
    chart->setMargins(QMargins(10, 10, 20, 10));
    chart->addAxis(distanceAxis_, Qt::AlignBottom);
    chart->addAxis(heightAxis_, Qt::AlignLeft);

    pointsSeries_ = new QScatterSeries;
    pointsSeries_->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    pointsSeries_->setMarkerSize(4.0);
    pointsSeries_->setColor(dataColour);
    pointsSeries_->setBorderColor(dataColour);
    lineSeries_ = new QLineSeries;
    lineSeries_->setPen(QPen(dataColour, 1.0));
    for (QXYSeries* series : {static_cast<QXYSeries*>(pointsSeries_), static_cast<QXYSeries*>(lineSeries_)}) {
        chart->addSeries(series);
        series->attachAxis(distanceAxis_);
        series->attachAxis(heightAxis_);
    }
}

void SurfaceCantGraph::setBounds(const SurfaceCantGraphBounds& bounds) {
    applyAxis(*distanceAxis_, bounds.distance);
    applyAxis(*heightAxis_, bounds.height);
}

void SurfaceCantGraph::setValues(const std::vector<SurfaceCantGraphPoint>& points,
                                 const std::vector<SurfaceCantGraphPoint>& line) {
    pointsSeries_->replace(chartPoints(points));
    lineSeries_->replace(chartPoints(line));
}

} // namespace Dotfield
