#!/usr/bin/env bash
# The installed zyra updates a virtual unit of TYPE: the sample package and
# the stand-in dfu-programmer in a fresh folder, the virtual unit's libusb
# drop-in preloaded from BUILD_DIR, the unit's waits in virtual time. The
# run must exit 0 with "done" as its last JSON event.
# Usage: .ci/installed_zyra.sh BUILD_DIR TYPE
set -euo pipefail
build_dir=$1
type=$2
source scripts/lib/demo-unit.sh

zyra=$(command -v zyra)
case "$zyra" in
  "$PWD"/*) echo "zyra on PATH is the build tree's ($zyra), not the installed one"; exit 1 ;;
esac

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
mkdir -p "$folder/utils"
prepare_demo_unit "$build_dir" "$folder" "$type"

status=0
events=$(run_against_demo_unit "$build_dir" "$folder" "$type" 0 "$zyra" --json --yes update "$type") || status=$?
echo "$events"
last=$(printf '%s\n' "$events" | tail -n 1)
if [ "$status" -ne 0 ] || [[ "$last" != *'"event":"done"'* && "$last" != *'"event": "done"'* ]]; then
  echo "installed $zyra: update $type ended with status $status, last event: $last"
  exit 1
fi
echo "installed $zyra updated a virtual $type unit"
