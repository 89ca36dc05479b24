#!/usr/bin/env bash
# Builds every release package into build/release/:
#   zindleQrvt-<project version>-win32.zip    the i686 launcher, README.txt for
#                                             publishers, the demo core in demo/
#   tarvik-xml-<library version>-Linux.tar.gz and tarvik-xml-dev_<version>_<arch>.deb
#   tarvik-xml-<library version>-win64.zip and -win32.zip (MinGW builds)
# Each comes from a Release build of its own (build/release/build/<name>),
# without tests, packed by CPack from the install rules (cmake/packaging.cmake).
# Installs what it needs first (tools/install-deps.sh base windows).
#   tools/release.sh            TARVIK_RELEASE_JOBS=2 by default
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh base windows

out=build/release
jobs=${TARVIK_RELEASE_JOBS:-2}
rm -rf "$out"
mkdir -p "$out"

# Configures and builds one release tree: NAME [cmake arguments...]
build_tree() {
    local name=$1
    shift
    echo "== $name: configure and build"
    nice -n 10 cmake -S . -B "$out/build/$name" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DBUILD_TESTING=OFF "$@" >/dev/null
    nice -n 10 cmake --build "$out/build/$name" -j "$jobs"
}

# Packs one product of a built tree: NAME GENERATORS [cpack arguments...]
pack() {
    local name=$1 generators=$2
    shift 2
    (cd "$out" && cpack --config "build/$name/CPackConfig.cmake" -G "$generators" -B . "$@" >/dev/null)
}

build_tree linux
build_tree win64 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake"
build_tree win32 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake"

tools/check-imports.sh i686-w64-mingw32-objdump "$out/build/win32/bin/zindleQrvt.exe" --pe32

echo "== packages"
pack linux "TGZ;DEB"
pack win64 ZIP
pack win32 ZIP
pack win32 ZIP -D TARVIK_PACKAGE=launcher
rm -rf "$out/_CPack_Packages"

ls -l "$out"/*.zip "$out"/*.tar.gz "$out"/*.deb
