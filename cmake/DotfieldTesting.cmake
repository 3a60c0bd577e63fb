# dotfield_add_test(<name> SOURCES ... [LIBS ...] [LABELS ...])
# Builds one GoogleTest executable and registers it with CTest.
#
# An executable labelled "concurrency" has each of its cases registered as a
# test of its own (one process per case, so a hang or a sanitizer report names
# its case and the cases spread over the cores). Every other executable is one
# CTest test, all its cases in one process: starting a Dotfield test process
# costs far more than most of its cases take. Run one case of it with
#   GTEST_FILTER='Suite.Case' ctest -R '^<name>$'
# or by starting the executable with --gtest_filter=Suite.Case.
#
# Executables labelled "concurrency" are also collected into the target
# "concurrency-tests", which the ThreadSanitizer build of CI compiles alone.
if(DOTFIELD_BUILD_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

function(dotfield_add_test name)
  if(NOT DOTFIELD_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main dotfield_warnings)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  # One value per property: gtest_discover_tests flattens a list value, which
  # would split two ENVIRONMENT entries into separate (wrong) properties.
  set(props
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    ENVIRONMENT_MODIFICATION "DOTFIELD_TEST_OUTPUT=set:${PROJECT_BINARY_DIR}/test-output")
  if(ARG_LABELS)
    list(APPEND props LABELS "${ARG_LABELS}")
  endif()
  if("concurrency" IN_LIST ARG_LABELS)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
    set_property(GLOBAL APPEND PROPERTY DOTFIELD_CONCURRENCY_TESTS ${name})
  else()
    add_test(NAME ${name} COMMAND ${name})
    # The whole executable runs under one time-out, which only guards against
    # a hang: the longest window suites take minutes on two loaded cores.
    set_tests_properties(${name} PROPERTIES ${props} TIMEOUT 1800)
  endif()
endfunction()

function(dotfield_finish_test_groups)
  get_property(tests GLOBAL PROPERTY DOTFIELD_CONCURRENCY_TESTS)
  add_custom_target(concurrency-tests)
  if(tests)
    add_dependencies(concurrency-tests ${tests})
  endif()
endfunction()

# dotfield_add_benchmark(<name> SOURCES ... [LIBS ...])
function(dotfield_add_benchmark name)
  if(NOT DOTFIELD_BUILD_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main dotfield_warnings)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()

# dotfield_add_test_folders()
# Adds every CMakeLists.txt in the folders under tests/ below the calling
# folder, at any depth, when tests are built at all: the test folders mirror
# the source folders (tests/<Area>/<Folder>), and a folder's CMakeLists.txt
# never adds the folders inside it.
function(dotfield_add_test_folders)
  if(NOT DOTFIELD_BUILD_TESTS)
    return()
  endif()
  file(GLOB_RECURSE lists CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/CMakeLists.txt)
  list(REMOVE_ITEM lists ${CMAKE_CURRENT_SOURCE_DIR}/tests/CMakeLists.txt)
  list(SORT lists)
  foreach(f IN LISTS lists)
    get_filename_component(d ${f} DIRECTORY)
    add_subdirectory(${d})
  endforeach()
endfunction()
