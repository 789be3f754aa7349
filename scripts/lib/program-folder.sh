# Shared by scripts/demo and scripts/run: building, and laying out a
# working folder the way the program expects it:
#   FOLDER/bin/ZyraUpgrader          the program (the about box reads its
#   FOLDER/licenses/LICENSE.TXT      licence from beside the program's folder)
#   FOLDER/firmware, firmware2k      the firmware package
#   FOLDER/utils/dfu-programmer      the flasher of the video module
# The program runs with FOLDER as its working directory.

# build_targets BUILD_DIR TARGET..., configured with the options in the
# array cmake_options (the tests' targets bring the sample package and the
# virtual unit)
cmake_options=()
build_targets() {
  local build_dir=$1
  shift
  cmake -S . -B "$build_dir" "${cmake_options[@]}" >/dev/null
  cmake --build "$build_dir" -j"$(nproc)" --target "$@"
}

# prepare_folder BUILD_DIR FOLDER
prepare_folder() {
  local build_dir=$1 folder=$2
  mkdir -p "$folder/bin" "$folder/licenses" "$folder/utils"
  cp -f "$build_dir/ZyraUpgrader/ZyraUpgrader" "$folder/bin/ZyraUpgrader"
  cp -f ZyraUpgrader/licenses/LICENSE.TXT "$folder/licenses/LICENSE.TXT"
}
