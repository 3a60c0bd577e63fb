#!/usr/bin/env bash
# Fails on an #include that runs up a layer of the application.
#
# Usage: scripts/check-layers.sh [root]   (root defaults to the repository)
#
# The areas of Dotfield/ stack one way: Platform at the bottom, then
# Instrument, then Robotics; Printing and Calibration side by side over
# Robotics, Camera over Instrument; Application on top. A file may include its
# own area and the areas below it. Within an area, the windows (any UI/ or Qt/
# folder) sit over the window-free part: window-free code includes no UI/ or
# Qt/ header, of its own area or any other. Each area is a library that links
# only the ones below it; this check also catches what the linker cannot see,
# such as an include of a header-only type.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

if [ ! -d Dotfield ]; then
  echo "check-layers: no Dotfield folder under $root" >&2
  exit 2
fi

# Sources of every area, tests excepted (they may link any area they test).
mapfile -d '' sources < <(find Dotfield -path Dotfield/tests -prune -o -type f -path 'Dotfield/*/*' \
  \( -name '*.cpp' -o -name '*.hpp' -o -name '*.h' \) -print0 | sort -z)
if [ ${#sources[@]} -eq 0 ]; then
  exit 0
fi

# grep prints "file:line:text" for each include of an application header.
{ grep -HnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]Dotfield/' "${sources[@]}" || true; } | awk '
BEGIN {
  below["Platform"] = ""
  below["Instrument"] = "Platform"
  below["Robotics"] = "Instrument Platform"
  below["Printing"] = "Robotics Instrument Platform"
  below["Calibration"] = "Robotics Instrument Platform"
  below["Camera"] = "Instrument Platform"
  below["Application"] = "Printing Calibration Camera Robotics Instrument Platform"
  failures = 0
}
# The area of a path under Dotfield/, and whether it lies in a UI/ or Qt/ folder.
function area(path,   parts) {
  split(path, parts, "/")
  return parts[2]
}
function isWindows(path) {
  return path ~ /^Dotfield\/[^\/]+\/(.*\/)?(UI|Qt)\//
}
function isBelow(lower, upper,   names, n, i) {
  n = split(below[upper], names, " ")
  for (i = 1; i <= n; ++i) {
    if (names[i] == lower) {
      return 1
    }
  }
  return 0
}
function fail(message) {
  print message > "/dev/stderr"
  ++failures
}
{
  file = $0
  sub(/:.*/, "", file)
  rest = substr($0, length(file) + 2)
  line = rest
  sub(/:.*/, "", line)
  included = rest
  sub(/^[^"<]*["<]/, "", included)
  sub(/[">].*$/, "", included)

  from = area(file)
  to = area(included)
  where = file ":" line ": "
  if (!(from in below)) {
    fail(where "the area " from " has no place in the layers (check-layers.sh lists them)")
    next
  }
  if (!(to in below)) {
    fail(where "includes " included ", in " to ", which has no place in the layers")
    next
  }
  if (to != from && !isBelow(to, from)) {
    fail(where "includes " included ": " to " is not below " from)
    next
  }
  if (isWindows(included) && !isWindows(file)) {
    fail(where "includes " included ": window code, above the window-free " from " code")
  }
}
END {
  if (failures > 0) {
    printf "check-layers: %d include(s) run up a layer\n", failures > "/dev/stderr"
    exit 1
  }
}'
