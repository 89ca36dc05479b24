#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and builds a small program
# against it twice: through find_package(TarvikXml) and through pkg-config.
# With --tool, also runs the installed tarvik-xml tool.
#   tools/check-install.sh BUILD_DIR [--tool]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "$1" && pwd)
check_tool=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
consumer=$source_dir/tests/install/consumer

cmake -S "$consumer" -B "$work/cmake-build" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
"$work/cmake-build/consumer"

export PKG_CONFIG_PATH=$work/prefix/lib/pkgconfig
read -r -a flags <<<"$(pkg-config --cflags --libs tarvik-xml)"
c++ "$consumer/main.cpp" "${flags[@]}" -o "$work/pkg-consumer"
"$work/pkg-consumer"

if [[ $check_tool == --tool ]]; then
    shown=$("$work/prefix/bin/tarvik-xml" brace "url=x")
    [[ $shown == '<AbsoluteRoot url="x"></AbsoluteRoot>' ]] || {
        echo "the installed tarvik-xml printed: $shown" >&2
        exit 1
    }
fi
echo "install and consume: ok"
