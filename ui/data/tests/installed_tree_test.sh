#!/usr/bin/env bash
# `make install` into a staging folder (DESTDIR) lays out a tree the desktop can use: the program
# and what it loads, its desktop entry, icons, metainfo and D-Bus service, and nothing outside the
# prefix. With a desktop program in the build, the staged program runs from there.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=staging.sh
source "$(dirname "$0")/staging.sh" "installed desktop tree" "$@"

prefix=/opt/quillo-test
DESTDIR=$work/stage "$tool" --install "$build" --prefix "$prefix" > /dev/null
root=$work/stage$prefix
[[ -z $(find "$work/stage" -mindepth 1 -maxdepth 1 ! -name opt) ]] || fail "files were installed outside the prefix"

for file in bin/quillo-cli bin/quillo-ravo lib/quillo/quillo-cli-clip lib/quillo/libquillo-net.so \
  lib/quillo/libquillo-gio.so lib/quillo/libquillo-imaging.so lib/quillo/libquillo-phone.so lib/quillo/libfff_c.so share/applications/dev.tarnwick.Quillo.desktop share/metainfo/dev.tarnwick.Quillo.metainfo.xml \
  share/icons/hicolor/scalable/apps/dev.tarnwick.Quillo.svg \
  share/icons/hicolor/symbolic/apps/dev.tarnwick.Quillo-symbolic.svg \
  share/dbus-1/services/dev.tarnwick.Quillo.service; do
  [[ -e $root/$file ]] || fail "$file is missing"
done

# Each PNG is a square of its folder's size: bytes 16 to 23 of a PNG are its width and height.
for size in 16 24 32 48 64 128 256 512; do
  png=$root/share/icons/hicolor/${size}x${size}/apps/dev.tarnwick.Quillo.png
  [[ -f $png ]] || fail "the ${size} px icon is missing"
  read -r -a header <<< "$(od -An -tu1 -j16 -N8 "$png")"
  width=$(((header[0] << 24) | (header[1] << 16) | (header[2] << 8) | header[3]))
  height=$(((header[4] << 24) | (header[5] << 16) | (header[6] << 8) | header[7]))
  [[ $width == "$size" && $height == "$size" ]] || fail "the ${size} px icon is ${width}x${height}"
done

desktop=$root/share/applications/dev.tarnwick.Quillo.desktop
desktop-file-validate "$desktop" || fail "the desktop entry does not validate"
grep -qx 'Exec=quillo --show' "$desktop" || fail "the desktop entry does not start quillo --show"
grep -qx 'Icon=dev.tarnwick.Quillo' "$desktop" || fail "the desktop entry names another icon than the installed one"
grep -qx 'Exec=quillo --clipboard' "$desktop" || fail "the desktop entry has no clipboard action"
grep -qx "Exec=$prefix/bin/quillo" "$root/share/dbus-1/services/dev.tarnwick.Quillo.service" ||
  fail "the D-Bus service does not start the installed program"

if [[ $program == none ]]; then
  [[ ! -e $root/bin/quillo ]] || fail "bin/quillo was installed without a desktop program in the build"
  echo "installed desktop tree: this build has no desktop program; its data files were checked" >&2
  exit 0
fi

[[ -x $root/bin/quillo ]] || fail "bin/quillo is missing"
missing=$(ldd "$root/bin/quillo" | grep 'not found' || true)
[[ -z $missing ]] || fail "bin/quillo cannot load: $missing"
elsewhere=$(ldd "$root/bin/quillo" | grep -E 'lib(quillo|fff)' | grep -v -F "$root/" || true)
[[ -z $elsewhere ]] || fail "bin/quillo loads our libraries from outside the installed tree: $elsewhere"

# The staged program draws its windows into a folder, away from any display and from the user's bus.
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
export QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME" "$work/shots"
dbus-run-session -- timeout 60 "$root/bin/quillo" --snapshot "$work/shots" > /dev/null 2>&1 ||
  fail "the installed program failed to write snapshots"
compgen -G "$work/shots/*.png" > /dev/null || fail "the installed program wrote no snapshot"
