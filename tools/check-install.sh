#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and builds small programs
# against it: through find_package(TarvikXml) (a program, and a shared library
# of the consumer's own with the library inside, which needs the static
# library to be position-independent), and through pkg-config as C++17 and as
# C++20 (the pkg-config file must not pull the standard back). Every installed
# header must compile from the prefix alone.
# With --tool, also runs the installed tarvik-xml tool. With --archive, the
# prefix is the library's .tar.gz package made by cpack and unpacked into a
# scratch folder, as a user would, and the .deb's file list (dpkg-deb -c)
# must hold the same files under /usr. With --shared, the library is instead
# configured afresh from the sources as a shared library (BUILD_SHARED_LIBS=ON,
# the compiler of BUILD_DIR, no tests, GoogleTest out of CMake's reach, as on
# a machine with CMake and a compiler alone), built and installed; its SONAME
# must carry the major version, and it must export the public API and nothing
# of the library's inside.
#   tools/check-install.sh BUILD_DIR [--tool] [--archive | --shared]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "$1" && pwd)
shift
check_tool=""
from_archive=""
shared=""
for option in "$@"; do
    case $option in
    --tool) check_tool=yes ;;
    --archive) from_archive=yes ;;
    --shared) shared=yes ;;
    *) echo "check-install.sh: unknown option $option" >&2 && exit 2 ;;
    esac
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs a command with its output kept back, and shown only when it fails.
quietly() {
    "$@" >"$work/output" 2>&1 || {
        cat "$work/output" >&2
        return 1
    }
}

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
elif [[ -n $shared ]]; then
    compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build_dir/CMakeCache.txt")
    tools=OFF
    [[ -n $check_tool ]] && tools=ON
    quietly cmake -S "$source_dir" -B "$work/shared-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CXX_COMPILER="$compiler" -DBUILD_SHARED_LIBS=ON -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
        -DTARVIK_BUILD_EXAMPLES=OFF -DTARVIK_BUILD_TOOLS=$tools
    quietly cmake --build "$work/shared-build"
    prefix=$work/prefix
    quietly cmake --install "$work/shared-build" --prefix "$prefix"
    library=$prefix/lib/libtarvik-xml.so
    version=$(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --modversion tarvik-xml)
    soname=$(objdump -p "$library" | awk '$1 == "SONAME" { print $2 }')
    [[ $soname == "libtarvik-xml.so.${version%%.*}" ]] || {
        echo "the shared library's SONAME is '$soname' (version $version)" >&2
        exit 1
    }
    # Defined and exported: public functions are, the inside (text-form
    # check, file replacement, buffers, node paths) is not.
    exported=$(nm -DC --defined-only "$library")
    for public in "tarvik::xml::saveText(" "tarvik::xml::XMLDocument::parseMarkup(" \
        "typeinfo for tarvik::xml::XMLElement"; do
        grep -qF "$public" <<<"$exported" || {
            echo "the shared library does not export $public" >&2
            exit 1
        }
    done
    for internal in "tarvik::xml::checkTextForm(" "tarvik::xml::replaceFile(" \
        "tarvik::xml::OutputBuffer" "tarvik::xml::nodePath("; do
        if grep -qF "$internal" <<<"$exported"; then
            echo "the shared library exports $internal" >&2
            exit 1
        fi
    done
else
    prefix=$work/prefix
    cmake --install "$build_dir" --prefix "$prefix" >/dev/null
fi
# Every installed header compiles on its own with the prefix as the only
# include path: the public header list holds everything those headers include.
include_dir=$prefix/include/tarvik
for header in $(cd "$include_dir" && find xml -name '*.h' | sort); do
    echo "#include \"$header\"" | quietly c++ -std=c++17 -fsyntax-only -I"$include_dir" -x c++ - || {
        echo "the installed $header does not compile from the prefix alone" >&2
        exit 1
    }
done
consumer=$source_dir/tests/install/consumer

quietly cmake -S "$consumer" -B "$work/cmake-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix"
quietly cmake --build "$work/cmake-build"
"$work/cmake-build/consumer"
"$work/cmake-build/plugin_user"

export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
read -r -a flags <<<"$(pkg-config --cflags --libs tarvik-xml)"
# Programs linked to a shared library find it through the loader's path.
run_linked() { LD_LIBRARY_PATH=$prefix/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH} "$@"; }
c++ "$consumer/main.cpp" "${flags[@]}" -o "$work/pkg-consumer"
run_linked "$work/pkg-consumer"
# The library's flags come last, as in `c++ -std=c++20 app.cpp $(pkg-config ...)`.
c++ -std=c++20 -DTARVIK_CONSUMER_CXX20 "$consumer/main.cpp" "${flags[@]}" -o "$work/pkg-consumer20"
run_linked "$work/pkg-consumer20"

if [[ -n $check_tool ]]; then
    shown=$("$prefix/bin/tarvik-xml" brace "url=x")
    [[ $shown == '<AbsoluteRoot url="x"></AbsoluteRoot>' ]] || {
        echo "the installed tarvik-xml printed: $shown" >&2
        exit 1
    }
fi
echo "install and consume${from_archive:+ from the archive}${shared:+ as a shared library}: ok"
