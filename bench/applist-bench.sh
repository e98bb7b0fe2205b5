#!/usr/bin/env bash
# Time of the window's start (which loads the applications list) on demo
# phones with more and more installed applications, inside the phone
# sandbox. The growth per application should stay flat.
#
#   bench/applist-bench.sh BUILD_DIR [N ...]      (default: 0 500 1000 2000)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: applist-bench.sh BUILD_DIR [N ...]}" && pwd)
shift
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(0 500 1000 2000)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "dump" > "$work/script"
for n in "${counts[@]}"; do
  rm -rf "$work/phone"
  "$repo/scripts/make-demo-phone" "$work/phone" --apps "$n" --program "$build" > /dev/null
  rm -f "$work/transcript"
  start=$(date +%s%N)
  EZX_AUTOMATION=$work/script EZX_TRANSCRIPT=$work/transcript QT_QPA_PLATFORM=offscreen \
    "$repo/scripts/phone-sandbox" "$work/phone" -- \
    /ezxlocal/download/mystuff/.system/QTDownLoad/vardel/vardel > /dev/null 2>&1
  end=$(date +%s%N)
  rows=$(grep -o '"event":"dump".*' "$work/transcript" | grep -o '\],\[' | wc -l)
  printf '%6d applications: %5d ms to start and list %d rows\n' "$n" $(( (end - start) / 1000000 )) $((rows + 1))
done
