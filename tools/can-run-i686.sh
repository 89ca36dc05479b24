#!/usr/bin/env bash
# Says whether this machine can run 32-bit (i686) Windows programs under Wine.
# That needs Wine's 32-bit loader and a kernel that runs 32-bit code at all:
# some 64-bit kernels have IA-32 emulation off, and there every i386 program,
# the loader included, fails with "Exec format error" although wine32:i386
# installs without complaint. So the answer comes from running the loader,
# never from the list of installed packages, and nothing is cached.
#   tools/can-run-i686.sh      exit 0: yes; exit 1: no, the reason on stdout
#   ZINDLE_RUN_I686=0          answers no, to try the fallback path anywhere
set -u

readonly Loader=/usr/lib/wine/wine
# The shell's code for a file it found but could not execute.
readonly CannotExecute=126

if [[ "${ZINDLE_RUN_I686:-}" == 0 ]]; then
    echo "ZINDLE_RUN_I686=0 rules out running 32-bit programs"
    exit 1
fi
if [[ ! -e $Loader ]]; then
    echo "Wine's 32-bit loader $Loader is missing (package wine32:i386)"
    exit 1
fi
timeout 60 "$Loader" --version </dev/null >/dev/null 2>&1
status=$?
if [[ $status -eq $CannotExecute ]]; then
    echo "this machine's kernel runs no 32-bit code (IA-32 emulation off), so Wine cannot start i686 programs"
    exit 1
fi
if [[ $status -ne 0 ]]; then
    echo "Wine's 32-bit loader $Loader fails to start here (exit $status)"
    exit 1
fi
exit 0
