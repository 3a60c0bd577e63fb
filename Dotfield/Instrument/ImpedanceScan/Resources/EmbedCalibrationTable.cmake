# Regenerates ../BundledDelayCalibrationTable.cpp from Calibration.csv, so the
# table is part of the program and cannot go missing from an installation:
#
#   cmake -P Dotfield/Instrument/ImpedanceScan/Resources/EmbedCalibrationTable.cmake
#
# Run it after every change to Calibration.csv; a test compares the embedded
# text with the file byte for byte.

set(resources "${CMAKE_CURRENT_LIST_DIR}")
file(READ "${resources}/Calibration.csv" table)
if(table MATCHES "\\)calibration_csv\"")
  message(FATAL_ERROR "Calibration.csv holds the raw-string delimiter of the generated source")
endif()

file(WRITE "${resources}/../BundledDelayCalibrationTable.cpp"
"// Generated from Resources/Calibration.csv by Resources/EmbedCalibrationTable.cmake;
// edit the table and rerun the script instead of editing this file.

#include \"Dotfield/Instrument/ImpedanceScan/BundledDelayCalibrationTable.hpp\"

namespace Dotfield {

std::string_view bundledDelayCalibrationText() {
    static constexpr char text[] = R\"calibration_csv(${table})calibration_csv\";
    return {text, sizeof text - 1};
}

} // namespace Dotfield
")
