#pragma once
// A generated DXF drawing for the benchmarks: a layer table, one block and an
// ENTITIES section of the given number of mixed entities (lines, arcs, circles,
// points, light-weight polylines with bulges, polylines, solids, block references
// and hatches), written once to a temporary file.

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace DXFBenchmarks {

inline void group(std::string& out, int code, const std::string& value) {
    out += code < 10 ? "  " : (code < 100 ? " " : "");
    out += std::to_string(code);
    out += '\n';
    out += value;
    out += '\n';
}

inline std::string number(double value) {
    std::string text = std::to_string(value);
    return text;
}

inline void appendEntity(std::string& out, std::size_t i) {
    const double x = static_cast<double>(i % 1000) * 10.0;
    const double y = static_cast<double>(i / 1000) * 10.0;
    const std::string layer = "Layer" + std::to_string(i % 7);
    switch (i % 9) {
    case 0:
        group(out, 0, "LINE");
        group(out, 8, layer);
        group(out, 10, number(x));
        group(out, 20, number(y));
        group(out, 30, "0.0");
        group(out, 11, number(x + 5.0));
        group(out, 21, number(y + 5.0));
        group(out, 31, "0.0");
        break;
    case 1:
        group(out, 0, "ARC");
        group(out, 8, layer);
        group(out, 10, number(x));
        group(out, 20, number(y));
        group(out, 40, "2.5");
        group(out, 50, "15.0");
        group(out, 51, "200.0");
        break;
    case 2:
        group(out, 0, "CIRCLE");
        group(out, 8, layer);
        group(out, 10, number(x));
        group(out, 20, number(y));
        group(out, 40, "3.0");
        break;
    case 3:
        group(out, 0, "POINT");
        group(out, 8, layer);
        group(out, 10, number(x));
        group(out, 20, number(y));
        break;
    case 4:
        group(out, 0, "LWPOLYLINE");
        group(out, 8, layer);
        group(out, 90, "4");
        group(out, 70, "1");
        for (int v = 0; v < 4; ++v) {
            group(out, 10, number(x + (v == 1 || v == 2 ? 4.0 : 0.0)));
            group(out, 20, number(y + (v >= 2 ? 4.0 : 0.0)));
            if (v % 2 == 0) {
                group(out, 42, "0.4142135623730951");
            }
        }
        break;
    case 5:
        group(out, 0, "POLYLINE");
        group(out, 8, layer);
        group(out, 66, "1");
        group(out, 70, "0");
        for (int v = 0; v < 3; ++v) {
            group(out, 0, "VERTEX");
            group(out, 8, layer);
            group(out, 10, number(x + v));
            group(out, 20, number(y + v * v));
        }
        group(out, 0, "SEQEND");
        break;
    case 6:
        group(out, 0, "SOLID");
        group(out, 8, layer);
        group(out, 10, number(x));
        group(out, 20, number(y));
        group(out, 11, number(x + 3.0));
        group(out, 21, number(y));
        group(out, 12, number(x));
        group(out, 22, number(y + 3.0));
        group(out, 13, number(x + 3.0));
        group(out, 23, number(y + 3.0));
        break;
    case 7:
        group(out, 0, "INSERT");
        group(out, 8, layer);
        group(out, 2, "Marker");
        group(out, 10, number(x));
        group(out, 20, number(y));
        group(out, 41, i % 2 == 0 ? "1.0" : "-1.0");
        group(out, 50, "30.0");
        break;
    default:
        group(out, 0, "HATCH");
        group(out, 8, layer);
        group(out, 70, "1");
        group(out, 91, "1");
        group(out, 92, "1");
        group(out, 93, "4");
        for (int e = 0; e < 3; ++e) {
            group(out, 72, "1");
            group(out, 10, number(x + (e == 1 ? 4.0 : 0.0)));
            group(out, 20, number(y + (e == 2 ? 4.0 : 0.0)));
            group(out, 11, number(x + (e == 0 ? 4.0 : 0.0)));
            group(out, 21, number(y + (e == 1 ? 4.0 : 0.0)));
        }
        group(out, 72, "2");
        group(out, 10, number(x));
        group(out, 20, number(y + 2.0));
        group(out, 40, "2.0");
        group(out, 50, "90.0");
        group(out, 51, "270.0");
        group(out, 73, "1");
        group(out, 97, "0");
        break;
    }
}

inline std::string drawingText(std::size_t entityCount) {
    std::string out;
    group(out, 0, "SECTION");
    group(out, 2, "TABLES");
    group(out, 0, "TABLE");
    group(out, 2, "LAYER");
    for (int l = 0; l < 7; ++l) {
        group(out, 0, "LAYER");
        group(out, 2, "Layer" + std::to_string(l));
        group(out, 70, "0");
        group(out, 62, std::to_string(l + 1));
    }
    group(out, 0, "ENDTAB");
    group(out, 0, "ENDSEC");
    group(out, 0, "SECTION");
    group(out, 2, "BLOCKS");
    group(out, 0, "BLOCK");
    group(out, 2, "Marker");
    for (std::size_t i = 0; i < 4; ++i) {
        appendEntity(out, i);
    }
    group(out, 0, "ENDBLK");
    group(out, 0, "ENDSEC");
    group(out, 0, "SECTION");
    group(out, 2, "ENTITIES");
    for (std::size_t i = 0; i < entityCount; ++i) {
        appendEntity(out, i);
    }
    group(out, 0, "ENDSEC");
    group(out, 0, "EOF");
    return out;
}

// The drawing of that many entities in a temporary file of this process, so that
// benchmark runs side by side neither share nor remove each other's files.
inline std::filesystem::path generatedDrawing(std::size_t entityCount) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("dotfield-bench-drawing-" + std::to_string(::getpid()) + "-" + std::to_string(entityCount) +
                       ".dxf");
    std::ofstream(path, std::ios::binary) << drawingText(entityCount);
    return path;
}

} // namespace DXFBenchmarks
