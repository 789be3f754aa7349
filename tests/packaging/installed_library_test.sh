#!/usr/bin/env bash
# Installs the library's runtime and development components into a staging
# folder (DESTDIR, the build's own prefix) and builds the outside program against them twice, through
# pkg-config and through find_package; each build runs and must print the
# library's own version.
# Usage: installed_library_test.sh SOURCE_DIR BUILD_DIR PREFIX LIBDIR VERSION
set -euo pipefail
source_dir=$1
build_dir=$2
prefix=$3
libdir=$4
version=$5

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
for component in runtime development; do
  DESTDIR=$stage cmake --install "$build_dir" --component "$component" >/dev/null
done
root=$stage$prefix
consumer=$source_dir/tests/packaging/consumer
expected="vx_zyra $version"

check() {
  local how=$1 program=$2 output
  output=$(LD_LIBRARY_PATH="$root/$libdir" "$program")
  if [ "$output" != "$expected" ]; then
    echo "$how: printed '$output', expected '$expected'"
    exit 1
  fi
  echo "$how: $output"
}

export PKG_CONFIG_PATH=$root/$libdir/pkgconfig
# shellcheck disable=SC2046  # the flags are words
cc -o "$stage/by-pkg-config" "$consumer/main.c" $(pkg-config --cflags --libs vx_zyra)
check pkg-config "$stage/by-pkg-config"

cmake -S "$consumer" -B "$stage/cmake" -DCMAKE_PREFIX_PATH="$root" >/dev/null
cmake --build "$stage/cmake" >/dev/null
check find_package "$stage/cmake/consumer"
