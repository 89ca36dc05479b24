#!/usr/bin/env bash
# Reads the i686 object code of the launcher's side of the game-core contract
# and checks it against the contract, so the shipping build is checked even on
# a machine that cannot run 32-bit programs:
#   - each probe in tests/contract/contract_probe.cpp calls its GameCore slot
#     through table offset 4 x slot, with the object in ECX (thiscall);
#   - the host callback is entry 0 of GameHost's table, which has no other;
#   - GameHost::callback takes its two 32-bit arguments off the stack itself
#     (ret $0x8) and returns 0 in EAX.
#   tools/check-contract-code.sh <objdump> <probe.obj> <host object files...>
set -euo pipefail
objdump=$1
probe=$2
binding=("${@:3}")

readonly SlotCount=16
readonly SlotBytes=4
# A table holds the offset to the top and the type information before entry 0.
readonly HostTableBytes=$((2 * SlotBytes + 1 * SlotBytes))
readonly CallbackSymbol=__ZN8GameHost8callbackEjj

failed=0
fail() {
    echo "$*" >&2
    failed=1
}

probe_code=$("$objdump" -d --no-show-raw-insn "$probe")
binding_code=$("$objdump" -d --no-show-raw-insn "${binding[@]}")

# The instructions of function $2 in disassembly $1, without their addresses.
instructions_of() {
    awk -v name="<$2>:" '$2 == name {inside = 1; next} inside && /^$/ {inside = 0}
                         inside {sub(/^ *[0-9a-f]+:\t/, ""); print}' <<<"$1"
}

# Checks that a probe's one indirect call (or tail jump) goes through table
# offset $3 with the object in ECX.
check_call() {
    local function=$1 what=$2 offset=$3 code calls operand
    code=$(instructions_of "$probe_code" "$function")
    calls=$(grep -E '^(call|jmp) +\*' <<<"$code" || true)
    if [[ $(grep -c . <<<"$calls") -ne 1 ]]; then
        fail "$what: expected one call through the table in $function, found: ${calls:-none}"
        return
    fi
    operand=${calls##* \*}
    if [[ $offset -eq 0 ]]; then
        [[ $operand =~ ^\(%e[a-z]+\)$ ]] || fail "$what: calls $operand, not table entry 0"
    elif [[ ! $operand =~ ^0x([0-9a-f]+)\(%e[a-z]+\)$ ]] ||
        [[ $((16#${BASH_REMATCH[1]})) -ne $offset ]]; then
        fail "$what: calls $operand, not table offset $(printf '0x%x' "$offset")"
    fi
    grep -qE '^mov +[^,]+,%ecx$' <<<"$code" ||
        fail "$what: the object is not passed in ECX, so the call is not thiscall"
}

for ((slot = 0; slot < SlotCount; ++slot)); do
    check_call "_probeSlot$slot" "GameCore slot $slot" $((slot * SlotBytes))
done
check_call _probeHostCallback "GameHost::callback" 0

table_bytes=$("$objdump" -h "${binding[@]}" | awk '$2 == ".rdata$_ZTV8GameHost" {print $3}')
if [[ -z $table_bytes ]]; then
    fail "GameHost's table is not in ${binding[*]}"
elif [[ $((16#$table_bytes)) -ne $HostTableBytes ]]; then
    fail "GameHost's table is $((16#$table_bytes)) bytes, not $HostTableBytes: callback must be its only entry"
fi

# The callback up to its first return: it must pop 8 bytes of arguments, and
# the last instruction that writes EAX before it must clear it.
callback=$(instructions_of "$binding_code" "$CallbackSymbol" | awk '!done {print} /^ret/ {done = 1}')
if [[ -z $callback ]]; then
    fail "$CallbackSymbol is not in ${binding[*]}"
else
    last=$(tail -n 1 <<<"$callback")
    [[ $last =~ ^ret\ +\$0x8$ ]] ||
        fail "GameHost::callback ends with '$last', not 'ret \$0x8' (thiscall, two 32-bit arguments)"
    eax_write=$(grep -E ',%(eax|ax|al)$' <<<"$callback" | tail -n 1 || true)
    [[ $eax_write =~ ^(xor +%eax,%eax|mov +\$0x0,%eax)$ ]] ||
        fail "GameHost::callback does not return 0 (last write to EAX: '${eax_write:-none}')"
fi

[[ $failed -eq 0 ]] &&
    echo "contract code: $SlotCount GameCore slots and the host callback are where the contract puts them"
exit $failed
