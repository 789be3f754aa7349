#!/usr/bin/env bash
# The installed launcher under Xvfb on a package folder: the program must
# start there and show its first window, which is then closed.
# Usage: .ci/installed_launcher.sh PACKAGE_FOLDER
set -euo pipefail
package=$1

if [ "${ZYRA_LAUNCHER_INSIDE_X:-}" != 1 ]; then
  export ZYRA_LAUNCHER_INSIDE_X=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

log=$(mktemp)
zyra-upgrader "$package" >"$log" 2>&1 &
program_pid=$!
cleanup() {
  # The program ends by our signal, so its status says nothing here.
  kill "$program_pid" 2>/dev/null || true
  wait "$program_pid" 2>/dev/null || true
  rm -f "$log"
}
trap cleanup EXIT

if ! window=$(timeout 30 xdotool search --sync --onlyvisible --name '^ZYRA Utility$' | head -n 1) || [ -z "$window" ]; then
  echo "the installed program showed no window"
  cat "$log"
  exit 1
fi
echo "installed program started in $package: window $window"
