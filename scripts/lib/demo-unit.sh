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

# prepare_demo_unit BUILD_DIR FOLDER TYPE: the sample package, the stand-in
# dfu-programmer and, for a type with a video module, its XMEGA waiting in
# the DFU bootloader with an older image.
prepare_demo_unit() {
  local build_dir=$1 folder=$2 type=$3
  cp -r "$build_dir/sim/package/sample/firmware" "$build_dir/sim/package/sample/firmware2k" "$folder/"
  ln -sf "$(realpath "$build_dir/sim/dfu-programmer/dfu-programmer")" "$folder/utils/dfu-programmer"
  mkdir -p "$folder/state" "$folder/no-tools"
  if demo_unit_has_video_module "$type"; then
    head -c $((0x1E000)) /dev/zero | tr '\0' '\377' >"$folder/state/xmega.flash"
    printf 'FWv1.3\0' | dd of="$folder/state/xmega.flash" bs=1 seek=$((0x1DE00)) conv=notrunc status=none
    echo dfu >"$folder/state/xmega.mode"
    # A flasher that validates the EEPROM by reading the EEPROM back (Debian's
    # 0.6.1 reads the flash instead, see HACKING.md).
    echo eeprom >"$folder/state/dfu.eeprom-readback"
  fi
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
run_against_demo_unit() {
  local build_dir=$1 folder=$2 type=$3 realtime=$4
  shift 4
  local drop_in
  drop_in=$(realpath "$build_dir/sim/libzyra_sim.so")
  (cd "$folder" && exec env PATH="$folder/no-tools" LD_PRELOAD="$drop_in" \
    ZYRA_SIM_SIDE="$(demo_unit_side "$type")" ZYRA_SIM_STATE_DIR="$folder/state" ZYRA_SIM_REALTIME="$realtime" \
    "$@")
}
