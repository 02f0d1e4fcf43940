#!/usr/bin/env bash
# wine-run.sh PREFIX ARCH PROGRAM [ARGUMENT...]
# Runs a Windows program under Wine in a throwaway prefix of the build tree's own, made on
# first use. A persistent server, with the session's services brought up by a process
# whose output nobody reads, makes each later run quick and keeps captured pipes from
# being held open by services that would otherwise start under them.
set -euo pipefail
prefix=$1 arch=$2
shift 2
command -v wine >/dev/null || { echo "wine-run.sh: wine is not installed (scripts/deps.sh)" >&2; exit 1; }
export WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$(dirname "$prefix")"
# What starts under the lock must not inherit it, or the server would hold it for good.
{
  flock 9
  if [[ ! -f $prefix/system.reg ]]; then
    wineboot --init </dev/null >/dev/null 2>&1 9>&-
    wineserver --wait 9>&-
  fi
  if wineserver --persistent 2>/dev/null 9>&-; then
    wine cmd /c exit </dev/null >/dev/null 2>&1 9>&-
  fi
} 9>"$prefix.lock"
exec wine "$@"
