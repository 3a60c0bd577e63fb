# Topography mapping: the map in force and its files, the settings, the plot
# data, and the window on the simulated DropwrightIIb, offscreen, grabbed to a
# PNG under screenshots/.
dotfield_add_test(DotfieldTopographyMappingTests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TopographyMapStoreTests.cpp
  LIBS DotfieldCalibration DotfieldTestSupport)
if(TARGET DotfieldCalibrationUI)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  dotfield_add_test(DotfieldTopographyMappingWindowTests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/TopographyMappingWindowTests.cpp
            ${PROJECT_SOURCE_DIR}/Dotfield/tests/ManualControls/SimulatedIIbWindowFixture.cpp
            ${PROJECT_SOURCE_DIR}/Dotfield/tests/ManualControls/WindowTestsMain.cpp
    LIBS DotfieldCalibrationUI DotfieldInstrumentTestSupport Qt6::Test)
  if(TARGET DotfieldTopographyMappingWindowTests)
    target_compile_definitions(DotfieldTopographyMappingWindowTests PRIVATE
      DOTFIELD_SCREENSHOT_DIR="${PROJECT_BINARY_DIR}/screenshots")
  endif()
endif()
