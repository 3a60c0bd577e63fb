#!/usr/bin/env bash
# The layer check over small fixture trees: each case writes one file that
# includes one header and expects the check to pass or to name the file.
# Usage: CheckLayersTests.sh <path to check-layers.sh>
set -uo pipefail
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# expect <pass|fail> <including file> <included header>
expect() {
  local outcome=$1 file=$2 header=$3 tree output status
  tree=$(mktemp -d "$work/tree.XXXX")
  mkdir -p "$tree/$(dirname "$file")" "$tree/$(dirname "$header")"
  : >"$tree/$header"
  printf '#pragma once\n\n#include <vector>\n#include "%s"\n' "$header" >"$tree/$file"
  output=$("$check" "$tree" 2>&1)
  status=$?
  if [ "$outcome" = pass ] && [ $status -ne 0 ]; then
    echo "FAIL: $file including $header should pass; the check said: $output"
    ((++failures))
  elif [ "$outcome" = fail ] && { [ $status -ne 1 ] || [[ "$output" != *"$file:4: includes $header"* && "$output" != *"$file:4: the area"* ]]; }; then
    echo "FAIL: $file including $header should fail naming the line; status $status, the check said: $output"
    ((++failures))
  fi
}

# Down the stack, within an area, and windows over what is below them.
expect pass Dotfield/Instrument/Relay/Relay.hpp Dotfield/Platform/Clock.hpp
expect pass Dotfield/Robotics/Robot.hpp Dotfield/Instrument/Axes/MotorPosition.hpp
expect pass Dotfield/Printing/Engine/Engine.hpp Dotfield/Robotics/Robot.hpp
expect pass Dotfield/Calibration/Run.cpp Dotfield/Robotics/Robot.hpp
expect pass Dotfield/Camera/Capture/Camera.hpp Dotfield/Instrument/Errors/Error.hpp
expect pass Dotfield/Application/AppDelegate.cpp Dotfield/Camera/Capture/Camera.hpp
expect pass Dotfield/Printing/UI/Preview.cpp Dotfield/Printing/Document/Document.hpp
expect pass Dotfield/Calibration/UI/Window.cpp Dotfield/Platform/Qt/Widgets/RoundedView.hpp
expect pass Dotfield/Application/UI/Shell.cpp Dotfield/Calibration/UI/Window.hpp
expect pass Dotfield/Camera/Recording/Qt/Writer.cpp Dotfield/Camera/Recording/Movie.hpp
# Tests may include any area they test.
expect pass Dotfield/tests/Robotics/RobotTests.cpp Dotfield/Application/UI/Shell.hpp

# Up the stack, across side-by-side areas, and window-free code reaching windows.
expect fail Dotfield/Platform/MainQueue.cpp Dotfield/Instrument/Settings/UserDefaults.hpp
expect fail Dotfield/Instrument/Errors/RoboticsError.hpp Dotfield/Robotics/MotorPosition.hpp
expect fail Dotfield/Instrument/Settings/UserDefaults.hpp Dotfield/Application/SavedPosition.hpp
expect fail Dotfield/Printing/Engine/Engine.cpp Dotfield/Calibration/Run.hpp
expect fail Dotfield/Calibration/Run.cpp Dotfield/Printing/Engine/Engine.hpp
expect fail Dotfield/Camera/Capture/Camera.cpp Dotfield/Robotics/Robot.hpp
expect fail Dotfield/Calibration/UI/Registration.cpp Dotfield/Application/UI/Registry.hpp
expect fail Dotfield/Printing/Document/Document.cpp Dotfield/Printing/UI/Preview.hpp
expect fail Dotfield/Robotics/Robot.cpp Dotfield/Platform/Qt/MainThread.hpp
# A new area must be given its place before anything may include it.
expect fail Dotfield/Application/Shell.cpp Dotfield/Telemetry/Feed.hpp
expect fail Dotfield/Telemetry/Feed.cpp Dotfield/Platform/Clock.hpp

# A tree whose includes all run down passes with no output at all.
clean=$(mktemp -d "$work/clean.XXXX")
mkdir -p "$clean/Dotfield/Platform" "$clean/Dotfield/Robotics"
echo '#include "Dotfield/Platform/Clock.hpp"' >"$clean/Dotfield/Robotics/Robot.cpp"
: >"$clean/Dotfield/Platform/Clock.hpp"
if ! output=$("$check" "$clean" 2>&1) || [ -n "$output" ]; then
  echo "FAIL: a clean tree should pass silently; the check said: $output"
  ((++failures))
fi

# Every upward include is reported, not only the first.
many=$(mktemp -d "$work/many.XXXX")
mkdir -p "$many/Dotfield/Platform" "$many/Dotfield/Instrument"
printf '#include "Dotfield/Instrument/A.hpp"\n#include "Dotfield/Instrument/B.hpp"\n' >"$many/Dotfield/Platform/P.cpp"
output=$("$check" "$many" 2>&1)
if [ "$(grep -c 'Dotfield/Platform/P.cpp:[12]: includes' <<<"$output")" -ne 2 ]; then
  echo "FAIL: both upward includes should be reported; the check said: $output"
  ((++failures))
fi

if [ $failures -ne 0 ]; then
  echo "$failures case(s) failed"
  exit 1
fi
echo "all layer-check cases passed"
