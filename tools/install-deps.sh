#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with, skipping
# what is already there. Groups: base (native build and tests, the packages'
# test included: dpkg-dev and file for CPack's .deb dependencies, xmllint from
# libxml2-utils, which checks the files saveXmlFile writes, and npm, which
# fetches the W3C XML test suite: tools/fetch-xmlconf.sh), windows
# (MinGW, Wine with its 32-bit half wine32:i386, Xvfb: the Windows builds and
# their tests), bench (Google Benchmark, the peer libraries pugixml, TinyXML-2
# and Expat, the real test document from shared-mime-info, and strace, which
# counts the tool's write calls, for the "bench" preset and tools/bench.sh), demo (screenshots and a little input for
# tools/demo.sh), icons (tools/draw-icons.sh), and any extra package names
# given after the groups.
#   tools/install-deps.sh base windows
set -euo pipefail

declare -A groups=(
    [base]="cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev pkgconf dpkg-dev file libxml2-utils npm libpugixml-dev shared-mime-info fontconfig-config"
    [bench]="libbenchmark-dev libpugixml-dev libtinyxml2-dev libexpat1-dev shared-mime-info python3 strace"
    [windows]="mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64 wine32:i386 xvfb xauth"
    [demo]="imagemagick xdotool"
    [icons]="imagemagick"
)

wanted=()
for arg in "$@"; do
    if [[ -n "${groups[$arg]:-}" ]]; then
        read -r -a names <<<"${groups[$arg]}"
        wanted+=("${names[@]}")
    else
        wanted+=("$arg")
    fi
done

# Packages named with an architecture (wine32:i386) need that architecture
# in dpkg before apt-get can see them.
foreign=()
for package in "${wanted[@]}"; do
    if [[ $package == *:* ]]; then
        foreign+=("${package##*:}")
    fi
done

# Packages whose command may come from elsewhere (npm with a Node.js that
# is not Debian's): present when the command is.
declare -A commands=(
    [npm]="npm"
)

missing=()
for package in "${wanted[@]}"; do
    if [[ -n "${commands[$package]:-}" ]] && command -v "${commands[$package]}" >/dev/null; then
        continue
    fi
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
for architecture in "${foreign[@]}"; do
    if ! dpkg --print-foreign-architectures | grep -qx "$architecture"; then
        $sudo dpkg --add-architecture "$architecture"
    fi
done
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
