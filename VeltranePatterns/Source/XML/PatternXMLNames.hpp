#pragma once
// Element names of the pattern XML format, shared by the reader and the writer.

namespace VeltranePatterns::PatternXMLNames {

inline constexpr const char* root = "pattern";

inline constexpr const char* xMultiplier = "xmultiplier";
inline constexpr const char* yMultiplier = "ymultiplier";
inline constexpr const char* featureWidth = "featurewidth";
inline constexpr const char* gridSpacing = "gridspacing";
inline constexpr const char* canvasWidth = "canvaswidth";
inline constexpr const char* canvasHeight = "canvasheight";
inline constexpr const char* continuous = "continuous";
inline constexpr const char* noReturn = "noreturn";
inline constexpr const char* enableSpraying = "enablesprayingforpattern";
inline constexpr const char* solutionLayer = "solutionlayer";
inline constexpr const char* solutionName = "solutionname";

inline constexpr const char* point = "point";
inline constexpr const char* line = "line";
inline constexpr const char* horizontalFill = "horizfill";
inline constexpr const char* verticalFill = "vertfill";
inline constexpr const char* arc = "arc";
inline constexpr const char* arcFill = "arcfill";
inline constexpr const char* polygon = "polygon";
inline constexpr const char* pause = "pause";

inline constexpr const char* x = "x";
inline constexpr const char* y = "y";
inline constexpr const char* z = "z";
inline constexpr const char* x2 = "x2";
inline constexpr const char* y2 = "y2";
inline constexpr const char* z2 = "z2";
inline constexpr const char* startAngle = "startangle";
inline constexpr const char* endAngle = "endangle";
inline constexpr const char* radius = "radius";
inline constexpr const char* insideRadius = "insideradius";
inline constexpr const char* clockwise = "clockwise";
inline constexpr const char* counterClockwise = "counterclockwise";
inline constexpr const char* duration = "duration";
inline constexpr const char* velocity = "velocity";
inline constexpr const char* acceleration = "acceleration";
inline constexpr const char* surfaceSensing = "surfacesensing";
inline constexpr const char* solution = "solution";
inline constexpr const char* vertex = "vertex";

} // namespace VeltranePatterns::PatternXMLNames
