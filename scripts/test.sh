#!/usr/bin/env bash
# Installs what is missing, builds the tree with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test headless, builds the
# optimised configuration that scripts/run.sh ships and runs every test on it
# again, then builds the concurrency tests under ThreadSanitizer and runs them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# Most test cases spend their time starting a process or waiting on a
# simulated line, not computing: three per core keep the cores busy.
test_jobs=$(( 3 * $(nproc) ))

scripts/check-layers.sh
scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# Line tables are all a sanitizer report needs; full debug information costs
# a third of the optimised build's compile time and a tenth of the debug one's.
scripts/build.sh build-test -DCMAKE_BUILD_TYPE=Debug -DDOTFIELD_SANITIZE=address,undefined -DDOTFIELD_WERROR=ON \
  -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_C_FLAGS_DEBUG=-g1
(cd build-test && ctest --output-on-failure --parallel "$test_jobs" --timeout 300)

# The build that ships: scripts/run.sh's configuration, with the tests.
scripts/build.sh build-rel -DCMAKE_BUILD_TYPE=Release -DDOTFIELD_WERROR=ON -DDOTFIELD_BUILD_BENCHMARKS=OFF
(cd build-rel && ctest --output-on-failure --parallel "$test_jobs" --timeout 300)

DOTFIELD_BUILD_TARGETS=concurrency-tests scripts/build.sh build-tsan \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDOTFIELD_SANITIZE=thread -DDOTFIELD_WERROR=ON -DDOTFIELD_BUILD_BENCHMARKS=OFF \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
(cd build-tsan && ctest --output-on-failure --parallel "$test_jobs" --timeout 300 -L concurrency)
