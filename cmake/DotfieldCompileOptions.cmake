# Warnings and sanitizers shared by every target of the tree.
add_library(dotfield_warnings INTERFACE)
target_compile_options(dotfield_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wnon-virtual-dtor
  $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>
  # GCC 12 reports accesses inside its own inlined standard-library code
  # (string concatenation, vector insertion) as overlapping or out of bounds
  # once it optimises; these are known false positives fixed in GCC 13.
  $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict -Wno-stringop-overflow -Wno-stringop-overread -Wno-array-bounds>
  # In a unity build GCC sees each file of a batch as a header of the batch,
  # and a test fixture in an anonymous namespace as a header's type with
  # internal linkage; in a .cpp file that is what the fixture should be.
  $<$<AND:$<CXX_COMPILER_ID:GNU>,$<BOOL:$<TARGET_PROPERTY:UNITY_BUILD>>>:-Wno-subobject-linkage>
  $<$<BOOL:${DOTFIELD_WERROR}>:-Werror>)

if(DOTFIELD_SANITIZE)
  string(REPLACE "," ";" _sanitizers "${DOTFIELD_SANITIZE}")
  foreach(s IN LISTS _sanitizers)
    add_compile_options(-fsanitize=${s})
    add_link_options(-fsanitize=${s})
  endforeach()
  add_compile_options(-fno-omit-frame-pointer -fno-sanitize-recover=undefined)
endif()

# Relative relocations packed as bitmaps: the sanitizers' per-check data makes
# the libraries carry about a million relative relocations, and loading them
# from the classic table was most of every test process's start-up. glibc 2.36
# and binutils 2.38 understand the packed form; older linkers go without.
include(CheckLinkerFlag)
check_linker_flag(CXX "-Wl,-z,pack-relative-relocs" DOTFIELD_LINKER_PACKS_RELOCATIONS)
if(DOTFIELD_LINKER_PACKS_RELOCATIONS)
  add_link_options(-Wl,-z,pack-relative-relocs)
endif()
