#!/usr/bin/env bash
# Pictures for docs/screenshots: the applications tab of a fresh demo phone
# and the place dialog of a package installation, taken inside the phone
# sandbox with the program built in BUILD_DIR.
#
#   tests/packages/make-packages-screenshots.sh BUILD_DIR
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?usage: make-packages-screenshots.sh BUILD_DIR}" && pwd)
out=$repo/docs/screenshots
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
program=/ezxlocal/download/mystuff/.system/QTDownLoad/vardel/vardel

"$repo/scripts/make-demo-phone" "$work/phone" --program "$build" > /dev/null
cd "$repo"
take() {
  EZX_AUTOMATION=$work/script EZX_TRANSCRIPT=$work/transcript QT_QPA_PLATFORM=offscreen \
    scripts/phone-sandbox "$work/phone" -- "$program" "$@" > /dev/null 2>&1
}
printf 'shot %s\nreject\n' "$out/install-place.png" > "$work/script"
take x /ezxlocal/download/mystuff/Packages/OrbitSnake.mpkg
printf 'shot %s\n' "$out/tab0-applications.png" > "$work/script"
take
if grep -q '"ok":false\|"event":"error"' "$work/transcript"; then
  cat "$work/transcript" >&2
  exit 1
fi
echo "pictures in $out"
