#!/usr/bin/env bash
# Installs a build tree into a staging folder as a packager would
# (DESTDIR, prefix /usr) and checks what a Linux desktop needs of it: every
# file in place, a valid desktop entry, and a program that runs from the
# staging folder on its own installed libraries.
# Usage: check-install.sh <build-dir> <staging-dir>
set -euo pipefail
build=$1
stage=$(realpath -m "$2")
rm -rf "$stage"
DESTDIR="$stage" cmake --install "$build" --prefix /usr > /dev/null

fail() { echo "check-install: $*" >&2; exit 1; }

for file in \
    usr/bin/dotfield \
    usr/share/applications/com.veltrane.Dotfield.desktop \
    usr/share/icons/hicolor/scalable/apps/com.veltrane.Dotfield.svg \
    usr/share/mime/packages/com.veltrane.Dotfield.xml \
    usr/lib/udev/rules.d/70-dotfield-adapters.rules \
    usr/share/polkit-1/actions/com.veltrane.Dotfield.policy; do
  [ -f "$stage/$file" ] || fail "missing $file"
done
for library in libDotfieldCore.so libDotfieldUI.so libZovudidova.so libVeltranePatterns.so libadapterdriver.so; do
  [ -n "$(find "$stage/usr" -name "$library" -print -quit)" ] || fail "missing $library"
done
grep -qx 'SUBSYSTEM=="usb", ATTRS{idVendor}=="0403", TAG+="uaccess"' \
  "$stage/usr/lib/udev/rules.d/70-dotfield-adapters.rules" || fail "the udev rule does not tag the adapters"

desktop-file-validate "$stage/usr/share/applications/com.veltrane.Dotfield.desktop" \
  || fail "the desktop entry is not valid"
grep -qx 'Exec=dotfield %F' "$stage/usr/share/applications/com.veltrane.Dotfield.desktop" \
  || fail "the desktop entry does not hand files to the program"

# The installed program finds its libraries in the staging folder, not in
# the build tree.
libraries=$(env -u LD_LIBRARY_PATH ldd "$stage/usr/bin/dotfield")
echo "$libraries" | grep -q "libDotfieldUI.so => $stage/usr/" || fail "libDotfieldUI is not the installed one"
if echo "$libraries" | grep "=> $(cd "$build" && pwd)/" | grep -qv "=> $stage/"; then
  fail "the installed program uses libraries of the build tree"
fi
version=$(env -u LD_LIBRARY_PATH "$stage/usr/bin/dotfield" --version)
[ "${version%% *}" = "dotfield" ] || fail "the installed program does not run: $version"
echo "check-install: $stage is complete"
