#!/usr/bin/env bash
# Checks what a Windows program imports: nothing but system DLLs and the game
# core, and from zindleCore.dll exactly CreateZindle, bound at load time. A
# player's machine has no MinGW runtime, so anything else would keep the
# launcher from starting there. With --pe32, also that the image is a 32-bit
# (PE32) program for i386, as the closed 32-bit game core needs.
#   tools/check-imports.sh <objdump> <program.exe> [--pe32]
set -euo pipefail
objdump=$1
program=$2
want_pe32=${3:-}

system_dlls="kernel32.dll user32.dll gdi32.dll msvcrt.dll"
imports=$("$objdump" -p "$program")

failed=0
if [[ $want_pe32 == --pe32 ]]; then
    format=$(sed -n 's/.*file format //p' <<<"$imports" | head -n 1)
    magic=$(awk '$1 == "Magic" {print $2; exit}' <<<"$imports")
    if [[ $format != pei-i386 || $magic != 010b ]]; then
        echo "$program is ${format:-not a PE image} (magic ${magic:-none}), not a PE32 program for i386" >&2
        failed=1
    fi
fi
while read -r dll; do
    lower=${dll,,}
    if [[ "$lower" != "zindlecore.dll" && " $system_dlls " != *" $lower "* ]]; then
        echo "$program imports $dll, which a player's machine may not have" >&2
        failed=1
    fi
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$imports")

# The names imported from zindleCore.dll: the rows after its "DLL Name" line,
# up to the blank line that ends its table.
core_names=$(awk '/DLL Name: zindleCore.dll/ {inside = 1; next}
                  inside && /^\s*$/ {inside = 0}
                  inside && NF >= 3 && $1 != "vma:" {print $NF}' <<<"$imports")
if [[ "$core_names" != "CreateZindle" ]]; then
    echo "$program must import exactly CreateZindle from zindleCore.dll, not: ${core_names:-nothing}" >&2
    failed=1
fi

[[ $failed -eq 0 ]] &&
    echo "$program: ${want_pe32:+PE32 for i386; }imports are system DLLs and zindleCore.dll!CreateZindle"
exit $failed
