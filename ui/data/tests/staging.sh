# The start the install and package tests share, sourced with the test's label and its arguments
# (TOOL BUILD_DIR PROGRAM|none): sets `tool`, `build` and `program`, makes a work folder `work`
# that goes when the test ends, and defines `fail MESSAGE`.
# shellcheck shell=bash disable=SC2034  # the variables are the sourcing test's
label=$1
shift
usage="usage: $(basename "$0") TOOL BUILD_DIR PROGRAM|none"
tool=${1:?$usage}
build=${2:?$usage}
program=${3:?$usage}

work=$(mktemp -d "${TMPDIR:-/tmp}/quillo-${label// /-}.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() {
  echo "$label: $*" >&2
  exit 1
}
