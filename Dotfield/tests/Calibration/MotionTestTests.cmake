# Automated motion test: the positions and the refusal, and the window on the
# simulated DropwrightIIb, offscreen, grabbed to a PNG under screenshots/.
dotfield_add_test(DotfieldMotionTestTests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/StageMovementTestTests.cpp
  LIBS DotfieldCalibration DotfieldTestSupport)
if(TARGET DotfieldCalibrationUI)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  dotfield_add_test(DotfieldMotionTestWindowTests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/MotionTestWindowTests.cpp
            ${PROJECT_SOURCE_DIR}/Dotfield/tests/ManualControls/SimulatedIIbWindowFixture.cpp
            ${PROJECT_SOURCE_DIR}/Dotfield/tests/ManualControls/WindowTestsMain.cpp
    LIBS DotfieldCalibrationUI DotfieldInstrumentTestSupport Qt6::Test)
  if(TARGET DotfieldMotionTestWindowTests)
    target_compile_definitions(DotfieldMotionTestWindowTests PRIVATE
      DOTFIELD_SCREENSHOT_DIR="${PROJECT_BINARY_DIR}/screenshots")
  endif()
endif()
