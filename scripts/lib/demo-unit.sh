# Shared by scripts/demo and the program's smoke test: a virtual unit for a
# working folder made by prepare_folder (program-folder.sh), and the program
# started against it with the virtual unit's libusb drop-in preloaded.

# demo_unit_side TYPE: "tx" or "rx"
demo_unit_side() {
  case "$1" in
    *-tx) echo tx ;;
    *) echo rx ;;
  esac
}

# demo_unit_has_video_module TYPE
demo_unit_has_video_module() {
  case "$1" in
    hdmi-rx|2k-rx) return 1 ;;
    *) return 0 ;;
  esac
}

# prepare_demo_unit BUILD_DIR FOLDER TYPE [UNITS]: the sample package, the
# stand-in dfu-programmer and, for a type with a video module, its XMEGA
# waiting in the DFU bootloader with an older image. With UNITS (a number),
# a bench of that many units of TYPE, each with its state in state/1-N.
prepare_demo_unit() {
  local build_dir=$1 folder=$2 type=$3 units=${4:-}
  cp -r "$build_dir/sim/package/sample/firmware" "$build_dir/sim/package/sample/firmware2k" "$folder/"
  ln -sf "$(realpath "$build_dir/sim/dfu-programmer/dfu-programmer")" "$folder/utils/dfu-programmer"
  mkdir -p "$folder/state" "$folder/no-tools"
  # A flasher that validates the EEPROM by reading the EEPROM back (Debian's
  # 0.6.1 reads the flash instead, see HACKING.md).
  demo_unit_has_video_module "$type" && echo eeprom >"$folder/state/dfu.eeprom-readback"
  if [ -z "$units" ]; then
    prepare_demo_module "$type" "$folder/state"
    return
  fi
  local n
  for n in $(seq 1 "$units"); do
    mkdir -p "$folder/state/1-$n"
    prepare_demo_module "$type" "$folder/state/1-$n"
  done
}

# prepare_demo_module TYPE MODULE_FOLDER: the unit's video module, where the
# type has one, in its bootloader with an older image.
prepare_demo_module() {
  local type=$1 module=$2
  demo_unit_has_video_module "$type" || return 0
  head -c $((0x1E000)) /dev/zero | tr '\0' '\377' >"$module/xmega.flash"
  printf 'FWv1.3\0' | dd of="$module/xmega.flash" bs=1 seek=$((0x1DE00)) conv=notrunc status=none
  echo dfu >"$module/xmega.mode"
}

# demo_bench TYPE UNITS: ZYRA_SIM_UNITS for that many units of TYPE's side.
demo_bench() {
  local side
  side=$(demo_unit_side "$1")
  printf "$side%.0s," $(seq 1 "$2") | sed 's/,$//'
}

# run_demo_program BUILD_DIR FOLDER TYPE REALTIME(0|1): runs the program in
# FOLDER; an installed dfu-programmer is kept off PATH so that only the
# stand-in in "utils" can be found.
run_demo_program() {
  run_against_demo_unit "$1" "$2" "$3" "$4" "$2/bin/ZyraUpgrader"
}

# run_demo_cli BUILD_DIR FOLDER TYPE REALTIME(0|1) ARGUMENTS...: zyra the same way
run_demo_cli() {
  local build_dir=$1
  run_against_demo_unit "$1" "$2" "$3" "$4" "$(realpath "$build_dir/cli/zyra")" "${@:5}"
}

# run_against_demo_unit BUILD_DIR FOLDER TYPE REALTIME(0|1) COMMAND...
# With DEMO_UNITS set (a number), the bench prepare_demo_unit made for it.
run_against_demo_unit() {
  local build_dir=$1 folder=$2 type=$3 realtime=$4
  shift 4
  local drop_in units=()
  drop_in=$(realpath "$build_dir/sim/libzyra_sim.so")
  [ -n "${DEMO_UNITS:-}" ] && units=(ZYRA_SIM_UNITS="$(demo_bench "$type" "$DEMO_UNITS")")
  # zyra's history of a virtual unit stays in the working folder, out of
  # the user's own.
  (cd "$folder" && exec env PATH="$folder/no-tools" LD_PRELOAD="$drop_in" XDG_STATE_HOME="$folder/state-home" \
    ZYRA_SIM_SIDE="$(demo_unit_side "$type")" ZYRA_SIM_STATE_DIR="$folder/state" ZYRA_SIM_REALTIME="$realtime" \
    "${units[@]}" "$@")
}
