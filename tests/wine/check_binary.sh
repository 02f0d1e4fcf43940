#!/usr/bin/env bash
# check_binary.sh OBJDUMP PROGRAM
# The program must run on a bare Windows: it may import only from DLLs that every Windows
# has, carry no symbols, and stay small.
set -euo pipefail
objdump=$1 program=$2
imports=$("$objdump" -p "$program" | sed -n 's/^\s*DLL Name: //p' | sort -f | tr '\n' ' ')
status=0
if [[ $imports != "ADVAPI32.dll KERNEL32.dll msvcrt.dll " ]]; then
  echo "imports: $imports(want ADVAPI32.dll KERNEL32.dll msvcrt.dll)"; status=1
fi
size=$(stat -c %s "$program")
if (( size > 65536 )); then
  echo "size: $size bytes (want at most 65536)"; status=1
fi
if "$objdump" -t "$program" | grep -q '^\[ *[0-9]*\]'; then
  echo "symbols: not stripped"; status=1
fi
(( status == 0 )) && echo "imports: $imports; $size bytes; stripped"
exit $status
