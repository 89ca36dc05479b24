#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and builds a small program
# against it: through find_package(TarvikXml), and through pkg-config as C++17
# and as C++20 (the pkg-config file must not pull the standard back).
# With --tool, also runs the installed tarvik-xml tool. With --archive, the
# prefix is the library's .tar.gz package made by cpack and unpacked into a
# scratch folder, as a user would, and the .deb's file list (dpkg-deb -c)
# must hold the same files under /usr.
#   tools/check-install.sh BUILD_DIR [--tool] [--archive]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "$1" && pwd)
shift
check_tool=""
from_archive=""
for option in "$@"; do
    case $option in
    --tool) check_tool=yes ;;
    --archive) from_archive=yes ;;
    *) echo "check-install.sh: unknown option $option" >&2 && exit 2 ;;
    esac
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The files of a package listing, one a line, folders left out, sorted.
files_of() { grep -v '/$' | sort; }

if [[ -n $from_archive ]]; then
    cpack --config "$build_dir/CPackConfig.cmake" -G "TGZ;DEB" -B "$work/packages" >/dev/null
    archives=("$work"/packages/tarvik-xml-*-Linux.tar.gz)
    debs=("$work"/packages/tarvik-xml-dev_*.deb)
    mkdir "$work/unpacked"
    tar -xzf "${archives[0]}" -C "$work/unpacked"
    prefix=$(echo "$work"/unpacked/tarvik-xml-*-Linux)
    # The .deb holds what the archive holds, under /usr.
    in_archive=$(tar -tzf "${archives[0]}" | sed 's|^[^/]*/|./usr/|' | files_of)
    in_deb=$(dpkg-deb -c "${debs[0]}" | awk '{print $6}' | files_of)
    if [[ $in_archive != "$in_deb" ]]; then
        echo "the .deb and the archive hold different files:" >&2
        diff <(echo "$in_archive") <(echo "$in_deb") >&2 || true
        exit 1
    fi
    for wanted in bin/tarvik-xml lib/libtarvik-xml.a lib/pkgconfig/tarvik-xml.pc \
        lib/cmake/TarvikXml/TarvikXmlConfig.cmake include/tarvik/xml/xml.h \
        share/doc/tarvik-xml/examples/read_and_walk.cpp; do
        grep -qx "./usr/$wanted" <<<"$in_deb" || {
            echo "the .deb lacks /usr/$wanted" >&2
            exit 1
        }
    done
else
    prefix=$work/prefix
    cmake --install "$build_dir" --prefix "$prefix" >/dev/null
fi
consumer=$source_dir/tests/install/consumer

cmake -S "$consumer" -B "$work/cmake-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
"$work/cmake-build/consumer"

export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
read -r -a flags <<<"$(pkg-config --cflags --libs tarvik-xml)"
c++ "$consumer/main.cpp" "${flags[@]}" -o "$work/pkg-consumer"
"$work/pkg-consumer"
# The library's flags come last, as in `c++ -std=c++20 app.cpp $(pkg-config ...)`.
c++ -std=c++20 -DTARVIK_CONSUMER_CXX20 "$consumer/main.cpp" "${flags[@]}" -o "$work/pkg-consumer20"
"$work/pkg-consumer20"

if [[ -n $check_tool ]]; then
    shown=$("$prefix/bin/tarvik-xml" brace "url=x")
    [[ $shown == '<AbsoluteRoot url="x"></AbsoluteRoot>' ]] || {
        echo "the installed tarvik-xml printed: $shown" >&2
        exit 1
    }
fi
echo "install and consume${from_archive:+ from the archive}: ok"
