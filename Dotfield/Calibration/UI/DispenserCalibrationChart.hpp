#pragma once
// The graph of the dispenser calibration: the impedance scan as a line over
// 200 to 600 kHz, and the five surface-sensing points as triangles (the
// first red, the others green) at their frequencies and average magnitudes.

#include <QList>
#include <QPointF>
#include <QTimer>
#include <QtCharts/QChartView>

QT_BEGIN_NAMESPACE
class QLineSeries;
class QScatterSeries;
class QValueAxis;
QT_END_NAMESPACE

namespace Dotfield {

class DispenserCalibrationChart final : public QChartView {
    Q_OBJECT

  public:
    explicit DispenserCalibrationChart(QWidget* parent = nullptr);

    // Points are (kHz, magnitude). Points appended one by one reach the line
    // together once the main thread has handled the events queued with them:
    // the line redraws all its points on every change, so a burst of points
    // (the redesigned electronics deliver 401 at once) costs one redraw, not
    // one per point.
    void appendScanPoint(const QPointF& point);
    // The points appended and not yet drawn, drawn now.
    void drawAppendedScanPoints();
    void setScanPoints(const QList<QPointF>& points);
    void setSurfaceSensingPoints(const QList<QPointF>& points);

    QLineSeries* scanSeries() const { return scanSeries_; }
    QScatterSeries* surfaceSensingSeries() const { return surfaceSensingSeries_; }
    QValueAxis* frequencyAxis() const { return frequencyAxis_; }
    QValueAxis* amplitudeAxis() const { return amplitudeAxis_; }

  private:
    QList<QPointF> appendedScanPoints_;
    QTimer appendedScanPointsDrawing_;
    QLineSeries* scanSeries_ = nullptr;
    QScatterSeries* surfaceSensingSeries_ = nullptr;
    QValueAxis* frequencyAxis_ = nullptr;
    QValueAxis* amplitudeAxis_ = nullptr;
};

} // namespace Dotfield
