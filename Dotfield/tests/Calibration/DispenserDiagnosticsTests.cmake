# Dispenser diagnostics: the sample history, its signal and table, and the
# window, offscreen, grabbed to a PNG under screenshots/.
dotfield_add_test(DotfieldDispenserDiagnosticsTests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DispenserDiagnosticsHistoryTests.cpp
  LIBS DotfieldCalibration DotfieldTestSupport
  LABELS concurrency)
if(TARGET DotfieldCalibrationUI)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  dotfield_add_test(DotfieldDispenserDiagnosticsWindowTests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/DispenserDiagnosticsWindowTests.cpp
            ${PROJECT_SOURCE_DIR}/Dotfield/tests/ManualControls/WindowTestsMain.cpp
    LIBS DotfieldCalibrationUI DotfieldTestSupport Qt6::Test)
  if(TARGET DotfieldDispenserDiagnosticsWindowTests)
    target_compile_definitions(DotfieldDispenserDiagnosticsWindowTests PRIVATE
      DOTFIELD_SCREENSHOT_DIR="${PROJECT_BINARY_DIR}/screenshots")
  endif()
endif()
