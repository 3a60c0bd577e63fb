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
# Libraries go to the multiarch library folder (lib/x86_64-linux-gnu on
# Debian), each under its versioned name with the soname link beside it.
multiarch=$(gcc -print-multiarch 2>/dev/null || true)
libdir="$stage/usr/lib${multiarch:+/$multiarch}"
[ -d "$libdir" ] || fail "no library folder usr/lib${multiarch:+/$multiarch}"
for library in DotfieldPlatform DotfieldInstrument DotfieldRobotics DotfieldPrinting DotfieldCalibration \
    DotfieldCamera DotfieldApplication DotfieldPlatformQt DotfieldPrintingUI DotfieldCalibrationUI \
    DotfieldCameraUI DotfieldApplicationUI Diagnostics Zovudidova VeltranePatterns adapterdriver; do
  versioned=$(find "$libdir" -maxdepth 1 -type f -name "lib$library.so.*.*" -print -quit)
  [ -n "$versioned" ] || fail "missing the versioned lib$library.so.<major>.<minor> in $libdir"
  soname=$(objdump -p "$versioned" | awk '$1 == "SONAME" { print $2 }')
  [[ "$soname" == "lib$library.so."* ]] || fail "lib$library has no versioned soname: ${soname:-none}"
  [ "$(readlink "$libdir/$soname")" = "$(basename "$versioned")" ] || fail "$soname does not link to $versioned"
done
[ -z "$(find "$stage/usr/lib" -maxdepth 1 -name 'lib*.so*' -print -quit)" ] \
  || [ -z "$multiarch" ] || fail "libraries installed outside the multiarch folder, in usr/lib"
grep -qx 'SUBSYSTEM=="usb", ATTRS{idVendor}=="0403", TAG+="uaccess"' \
  "$stage/usr/lib/udev/rules.d/70-dotfield-adapters.rules" || fail "the udev rule does not tag the adapters"

desktop-file-validate "$stage/usr/share/applications/com.veltrane.Dotfield.desktop" \
  || fail "the desktop entry is not valid"
grep -qx 'Exec=dotfield %F' "$stage/usr/share/applications/com.veltrane.Dotfield.desktop" \
  || fail "the desktop entry does not hand files to the program"

# The installed program finds its libraries in the staging folder, not in
# the build tree.
libraries=$(env -u LD_LIBRARY_PATH ldd "$stage/usr/bin/dotfield")
echo "$libraries" | grep -q "libDotfieldApplicationUI.so.[0-9]* => $stage/usr/" \
  || fail "libDotfieldApplicationUI is not the installed one"
if echo "$libraries" | grep "=> $(cd "$build" && pwd)/" | grep -qv "=> $stage/"; then
  fail "the installed program uses libraries of the build tree"
fi
runpath=$(objdump -p "$stage/usr/bin/dotfield" | awk '$1 == "RUNPATH" || $1 == "RPATH" { print $2 }')
[ "$runpath" = "\$ORIGIN/../lib${multiarch:+/$multiarch}" ] || fail "the program's library path is not relative to it: $runpath"
version=$(env -u LD_LIBRARY_PATH "$stage/usr/bin/dotfield" --version)
[ "${version%% *}" = "dotfield" ] || fail "the installed program does not run: $version"
echo "check-install: $stage is complete"
