#!/usr/bin/env bash
# Runs the README's library lines as a reader would copy them: the first
# program (```cpp app/main.cpp), the consumer's CMakeLists.txt (```cmake
# app/CMakeLists.txt) and the install-and-build commands (```sh
# install-and-build), in a scratch folder that stands in for /opt/tarvik and
# with BUILD_DIR for build/linux; then runs both programs they build and
# checks that they print what the example's comments say.
#   tools/check-readme.sh BUILD_DIR
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The lines of the README's fenced block whose info string is "$1".
block() {
    awk -v info="$1" '$0 == "```" info {inside = 1; next} inside && /^```/ {exit} inside' \
        "$source_dir/README.md"
}

mkdir "$work/app"
for file in app/main.cpp app/CMakeLists.txt; do
    info=cpp
    [[ $file == *.txt ]] && info=cmake
    block "$info $file" >"$work/$file"
    [[ -s $work/$file ]] || { echo "the README has no block for $file" >&2; exit 1; }
done
commands=$(block "sh install-and-build")
[[ -n $commands ]] || { echo "the README has no install-and-build block" >&2; exit 1; }

prefix=$work/prefix
commands=${commands//\/opt\/tarvik/$prefix}
commands=${commands//build\/linux/$build_dir}
(cd "$work" && bash -euo pipefail -c "$commands") >"$work/log" 2>&1 || {
    cat "$work/log" >&2
    echo "the README's install-and-build lines failed" >&2
    exit 1
}

# The comments beside the example's output ("std::cout << ...;  // 800") are
# the lines it prints.
mapfile -t expected < <(sed -n 's|.*std::cout.*// \(.*\)$|\1|p' "$work/app/main.cpp")
[[ ${#expected[@]} -gt 0 ]] || { echo "the README's program promises no output" >&2; exit 1; }
for program in "$work/app/build/app" "$work/app/app"; do
    printed=$(cd "$work" && LD_LIBRARY_PATH=$prefix/lib "$program")
    for word in "${expected[@]}"; do
        grep -qxF "$word" <<<"$printed" || {
            echo "$program printed '$printed', without the line '$word' its comments promise" >&2
            exit 1
        }
    done
done
echo "the README's first program, consumer CMakeLists.txt and install lines: ok"
