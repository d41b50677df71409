#!/usr/bin/env bash
# `make package` makes a Debian package that installs the program where the desktop finds it and
# depends on the libraries its programs link and on what they load without linking.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=staging.sh
source "$(dirname "$0")/staging.sh" package "$@"

"$tool" --config "$build/CPackConfig.cmake" -B "$work" > "$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log" >&2
  fail "cpack failed"
}
debs=("$work"/quillo_*.deb)
[[ -f ${debs[0]} ]] || fail "no quillo_*.deb was made"
deb=${debs[0]}

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == quillo ]] || fail "the package is not named quillo"
[[ $(field Section) == utils ]] || fail "the package is not in section utils"
depends=$(field Depends)
requires() { [[ ", $depends," == *", $1 "* || ", $depends," == *", $1,"* ]] || fail "Depends lacks $1: $depends"; }
for needed in libc6 libstdc++6 libicu72 libsqlite3-0 libvips42 libphonenumber8-protobuf32 qt6-wayland at-spi2-core shared-mime-info; do
  requires "$needed"
done
[[ $(field Recommends) == *xdg-desktop-portal* ]] || fail "xdg-desktop-portal is not recommended"

contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/quillo-cli ./usr/bin/quillo-ravo ./usr/lib/quillo/quillo-cli-clip \
  ./usr/lib/quillo/libquillo-net.so ./usr/lib/quillo/libquillo-imaging.so ./usr/lib/quillo/libquillo-phone.so ./usr/lib/quillo/libfff_c.so ./usr/share/applications/dev.tarnwick.Quillo.desktop \
  ./usr/share/metainfo/dev.tarnwick.Quillo.metainfo.xml ./usr/share/icons/hicolor/48x48/apps/dev.tarnwick.Quillo.png \
  ./usr/share/icons/hicolor/scalable/apps/dev.tarnwick.Quillo.svg ./usr/share/dbus-1/services/dev.tarnwick.Quillo.service; do
  grep -Eq " $file( -> .*)?\$" <<< "$contents" || fail "the package lacks $file"
done
! grep -q ' ./usr/include/' <<< "$contents" || fail "the package carries development headers"

dpkg-deb -x "$deb" "$work/root"
grep -qx 'Exec=/usr/bin/quillo' "$work/root/usr/share/dbus-1/services/dev.tarnwick.Quillo.service" ||
  fail "the packaged D-Bus service does not start /usr/bin/quillo"

if [[ $program == none ]]; then
  ! grep -q ' ./usr/bin/quillo$' <<< "$contents" || fail "the package holds a quillo the build did not make"
  echo "package: this build has no desktop program; the rest of the package was checked" >&2
  exit 0
fi
grep -q ' ./usr/bin/quillo$' <<< "$contents" || fail "the package lacks ./usr/bin/quillo"
for qt in libqt6core6 libqt6gui6 libqt6widgets6; do
  requires "$qt"
done
