#!/usr/bin/env bash
# Pictures of the security tab's dialogs for docs/screenshots: the masked
# password prompt and the guard switch, taken on a fresh demo phone inside
# the phone sandbox with the program built in BUILD_DIR. (The tab itself is
# taken by tests/e2e/make-shell-screenshots.sh.)
#
#   tests/antitheft/make-security-screenshots.sh BUILD_DIR
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?usage: make-security-screenshots.sh BUILD_DIR}" && pwd)
out=$repo/docs/screenshots
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$repo/scripts/make-demo-phone" "$work/phone" --program "$build" > /dev/null
cat > "$work/script" <<SCRIPT
tab 3
activate 0
shot $out/security-password.png
text
shot $out/security-guard.png
reject
SCRIPT
cd "$repo"
EZX_AUTOMATION=$work/script EZX_TRANSCRIPT=$work/transcript QT_QPA_PLATFORM=offscreen \
  EZX_MODEM=$work/phone/modem.ini \
  scripts/phone-sandbox "$work/phone" -- /ezxlocal/download/mystuff/.system/QTDownLoad/vardel/vardel
if grep -q '"ok":false\|"event":"error"' "$work/transcript"; then
  cat "$work/transcript" >&2
  exit 1
fi
echo "pictures in $out"
