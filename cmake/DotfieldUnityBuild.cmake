# Unity builds (-DCMAKE_UNITY_BUILD=ON): each target's sources are compiled in
# batches of eight files per translation unit. A batch parses the standard
# library, GoogleTest and Qt once instead of once per file and generates their
# inline and template code once: a cold compile of the instrument library takes
# about a third of the processor time under the sanitizers and under half in
# the optimised build.
#
# Files of a batch share one translation unit, so two helpers with the same
# name in anonymous namespaces of two files of one batch collide. A file with
# such helpers is compiled on its own: name it in
# DOTFIELD_SOURCES_COMPILED_ALONE (by file name, wherever it lives). Taking a
# file out of the batches moves the batch boundaries after it, so check a full
# unity build after changing the list.
set(DOTFIELD_SOURCES_COMPILED_ALONE
  # pattern library and its tests
  BulgeArcs.cpp DXFEntity.cpp GerberParser.cpp RecordingDrawingContext.cpp
  DXFImportNotesTests.cpp DXFParserTests.cpp GerberRefusalsAndNotesTests.cpp
  PainterDrawingContextTests.cpp PatternXMLLayoutTests.cpp
  # adapter driver
  Layout2232H.cpp Layout232H.cpp Layout232R.cpp Layout4232H.cpp
  # simulators
  SimulatedGilsonController.cpp SimulatedProtoControllers.cpp SimulatedSmartMotorBus.cpp
  SimulatedUSBBus.cpp
  # heads-up-display tests
  SliderCellPaintTests.cpp
  # application areas and their tests
  SaveFileChooser.cpp DropwrightProto.cpp DropwrightProtoHoming.cpp DropwrightProtoMotion.cpp SolutionWell.cpp
  DispenserControlsWindowTests.cpp VoltageCommandTests.cpp SampleBlockTests.cpp
  ImpedanceRecordTests.cpp CuringAndResumingTests.cpp
  # benchmarks
  OneAdapterIdleCostBenchmarks.cpp)

function(_dotfield_targets_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    _dotfield_targets_below(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Marks the sources named in DOTFIELD_SOURCES_COMPILED_ALONE in every target
# of the tree; called once, after every folder has added its targets.
function(dotfield_finish_unity_build)
  if(NOT CMAKE_UNITY_BUILD)
    return()
  endif()
  _dotfield_targets_below(${PROJECT_SOURCE_DIR} targets)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY" OR type STREQUAL "UTILITY")
      continue()
    endif()
    get_target_property(sources ${target} SOURCES)
    get_target_property(source_dir ${target} SOURCE_DIR)
    foreach(source IN LISTS sources)
      get_filename_component(name ${source} NAME)
      if(name IN_LIST DOTFIELD_SOURCES_COMPILED_ALONE)
        get_filename_component(path ${source} ABSOLUTE BASE_DIR ${source_dir})
        set_source_files_properties(${path} TARGET_DIRECTORY ${target}
          PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
      endif()
    endforeach()
  endforeach()
endfunction()
