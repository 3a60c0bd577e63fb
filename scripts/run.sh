#!/usr/bin/env bash
# Builds the program (Release, in build-run, without tests and benchmarks) and
# starts it on the simulated instrument. Arguments go to the program: files
# to open, or --simulated-instrument=IIa|IIb|Desktop|Proto for another model.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display to show Dotfield's windows on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "run.sh: start it from a desktop session, or set QT_QPA_PLATFORM=offscreen to run it without windows." >&2
  exit 1
fi

scripts/install-deps.sh
scripts/build.sh build-run -DCMAKE_BUILD_TYPE=Release \
  -DDOTFIELD_BUILD_TESTS=OFF -DDOTFIELD_BUILD_BENCHMARKS=OFF
exec build-run/Dotfield/dotfield --simulated-instrument "$@"
