#!/usr/bin/env bash
# An installed tree works on its own, away from the build folder: quillo-cli starts its clipboard
# program and loads the file index and desktop libraries from where `cmake --install` put them.
set -euo pipefail
cmake=${1:?usage: installed_tree_test.sh CMAKE BUILD_DIR}
build=${2:?usage: installed_tree_test.sh CMAKE BUILD_DIR}

work=$(mktemp -d "${TMPDIR:-/tmp}/quillo-installed.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() {
  echo "installed tree: $*" >&2
  exit 1
}

"$cmake" --install "$build" --prefix "$work/prefix" > /dev/null
cli=$work/prefix/bin/quillo-cli
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
unset QUILLO_FFF_LIBRARY
mkdir -p "$HOME"

id=$("$cli" clip add "from the installed tree") || fail "clip add failed"
[[ $("$cli" clip show "$id") == "from the installed tree" ]] || fail "clip show printed something else"

mkdir -p "$work/documents/reports"
touch "$work/documents/reports/quarterly-summary.txt"
"$cli" folders add "$work/documents" > /dev/null 2>&1 || fail "folders add failed"
found=$("$cli" search --scope files --json quarterly-summary 2> /dev/null) || fail "file search failed"
[[ $found == *quarterly-summary.txt* ]] || fail "file search did not find the file: $found"

mkdir -p "$work/applications"
printf '[Desktop Entry]\nType=Application\nName=Installed Marker\nExec=/bin/true\n' > "$work/applications/marker.desktop"
apps=$("$cli" search --platform linux --desktop-entries "$work/applications" --json "installed marker" 2> /dev/null) ||
  fail "search with desktop entries failed"
[[ $apps == *'"app.marker"'* ]] || fail "search did not list the desktop entry: $apps"
