# Rotational calibration: the points, the angle text and the window on the
# simulated DropwrightIIb, offscreen, grabbed to a PNG under screenshots/.
dotfield_add_test(DotfieldRotationalCalibrationTests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/RotationalCalibrationPointsTests.cpp
  LIBS DotfieldCalibration DotfieldTestSupport)
if(TARGET DotfieldCalibrationUI)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  dotfield_add_test(DotfieldRotationalCalibrationWindowTests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/RotationalCalibrationWindowTests.cpp
            ${PROJECT_SOURCE_DIR}/Dotfield/tests/ManualControls/SimulatedIIbWindowFixture.cpp
            ${PROJECT_SOURCE_DIR}/Dotfield/tests/ManualControls/WindowTestsMain.cpp
    LIBS DotfieldCalibrationUI DotfieldInstrumentTestSupport Qt6::Test)
  if(TARGET DotfieldRotationalCalibrationWindowTests)
    target_compile_definitions(DotfieldRotationalCalibrationWindowTests PRIVATE
      DOTFIELD_SCREENSHOT_DIR="${PROJECT_BINARY_DIR}/screenshots")
  endif()
endif()
