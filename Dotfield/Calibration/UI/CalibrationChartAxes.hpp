#pragma once
// The look the calibration windows' graphs share: value axes with major and
// minor grid lines (black at alpha 0.3 and 0.1), 12-point labels and a title,
// and a chart without backgrounds or legend in its view.

#include <QString>

QT_BEGIN_NAMESPACE
class QChart;
class QChartView;
class QValueAxis;
QT_END_NAMESPACE

namespace Dotfield {

// An axis over [minimum, maximum] with major ticks every `interval` from
// `anchor`, `minorTicks` minor ticks between them, and the title.
QValueAxis* makeCalibrationAxis(double minimum, double maximum, double anchor, double interval, int minorTicks,
                                const QString& title);
// Changes the range and the major interval; an interval that is not a
// positive number, or that would draw more than 200 ticks, gives 5 evenly
// spaced ticks instead.
void setCalibrationAxisRange(QValueAxis& axis, double minimum, double maximum, double anchor, double interval);
// A chart with the shared look, shown in the view.
QChart* installCalibrationChart(QChartView& view);

} // namespace Dotfield
