#pragma once
// One graph of the surface-cant calibration: the measured heights of one axis
// as small filled circles and the fitted line through them, both relative to
// the first measured point, over axes whose ranges and intervals follow the
// length of the measurement line (distance along the bottom, height on the
// left).

#include <vector>

#include <QtCharts/QChartView>

#include "Dotfield/Calibration/SurfaceCant/SurfaceCantGraphValues.hpp"

QT_BEGIN_NAMESPACE
class QLineSeries;
class QScatterSeries;
class QValueAxis;
QT_END_NAMESPACE

namespace Dotfield {

class SurfaceCantGraph final : public QChartView {
    Q_OBJECT

  public:
    explicit SurfaceCantGraph(QWidget* parent = nullptr);

    void setBounds(const SurfaceCantGraphBounds& bounds);
    void setValues(const std::vector<SurfaceCantGraphPoint>& points, const std::vector<SurfaceCantGraphPoint>& line);

    QScatterSeries* pointsSeries() const { return pointsSeries_; }
    QLineSeries* lineSeries() const { return lineSeries_; }
    QValueAxis* distanceAxis() const { return distanceAxis_; }
    QValueAxis* heightAxis() const { return heightAxis_; }

  private:
    QScatterSeries* pointsSeries_ = nullptr;
    QLineSeries* lineSeries_ = nullptr;
    QValueAxis* distanceAxis_ = nullptr;
    QValueAxis* heightAxis_ = nullptr;
};

} // namespace Dotfield
