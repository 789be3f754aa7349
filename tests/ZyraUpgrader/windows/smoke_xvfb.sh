#!/usr/bin/env bash
# Smoke test of the real program under Xvfb, started the way scripts/demo
# starts it: the first window is found by its title and a device button is
# clicked; the mode selection must replace it.
# Usage: smoke_xvfb.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2

if [ "${ZYRA_SMOKE_INSIDE_X:-}" != 1 ]; then
  export ZYRA_SMOKE_INSIDE_X=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

source "$source_dir/scripts/lib/program-folder.sh"
source "$source_dir/scripts/lib/demo-unit.sh"
folder=$(mktemp -d)
program_pid=
cleanup() {
  # The program ends by our signal, so its status says nothing about the test.
  if [ -n "$program_pid" ]; then
    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
  fi
  rm -rf "$folder"
}
trap cleanup EXIT

(cd "$source_dir" && prepare_folder "$build_dir" "$folder")
prepare_demo_unit "$build_dir" "$folder" sdi-tx
run_demo_program "$build_dir" "$folder" sdi-tx 0 >"$folder/program.log" 2>&1 &
program_pid=$!

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^ZYRA Utility$' | head -n 1)
geometry=$(xdotool getwindowgeometry "$window" | grep Geometry)
[[ "$geometry" == *960x550* ]] || { echo "first window is not the device selection: $geometry"; exit 1; }

# The "SDI TX" button lies at 350,490 (114 x 32) in the device selection.
xdotool mousemove --window "$window" 407 506 click 1

for _ in $(seq 100); do
  for visible in $(xdotool search --onlyvisible --name '^ZYRA Utility$' 2>/dev/null); do
    if xdotool getwindowgeometry "$visible" | grep -q 'Geometry: 400x420'; then
      echo "mode selection shown after the device button"
      exit 0
    fi
  done
  sleep 0.1
done
echo "no mode selection after clicking SDI TX"
cat "$folder/program.log"
exit 1
