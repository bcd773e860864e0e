#!/usr/bin/env bash
# The real restart under Wine: ExitWindowsEx with EWX_FORCE ends every process of the prefix and its
# wineserver, so it runs in a scratch prefix of its own, never in the one the other tests use. The
# probe needs nothing from the test prefix's settings, so a fresh prefix serves; it is removed on
# every way out, also when the test is interrupted or killed.
# Passes when RestartSystem returns TRUE, a program left running in that prefix is ended, and the
# scratch prefix's wineserver goes away.
set -u
probe="$1"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env"

scratch=$(mktemp -d)
lingering_pid=""
cleanup() {
  WINEPREFIX="$scratch/prefix" wineserver --kill >/dev/null 2>&1
  [ -n "$lingering_pid" ] && kill "$lingering_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
fail() { echo "restart test: $*"; exit 1; }

export WINEPREFIX="$scratch/prefix"
wineboot --init >/dev/null 2>&1 || fail "cannot make the scratch prefix"

# Polls a condition for up to $1 seconds.
wait_for() {
  local limit=$(($1 * 10)); shift
  for ((i = 0; i < limit; i++)); do "$@" && return 0; sleep 0.1; done
  return 1
}

wine "$probe" --linger "$(winepath -w "$scratch/lingering")" >/dev/null 2>&1 &
lingering_pid=$!
wait_for 60 test -s "$scratch/lingering" || fail "the lingering program did not start"

timeout 60 wine "$probe" --restart "$(winepath -w "$scratch/result")" >/dev/null 2>&1
result=$(cat "$scratch/result" 2>/dev/null)
[ "$result" = "TRUE" ] || fail "RestartSystem returned '${result:-nothing}', expected TRUE"

wait_for 30 bash -c "! kill -0 $lingering_pid 2>/dev/null" || fail "the forced restart left a program running"
wait "$lingering_pid"
lingering_status=$?
lingering_pid=""
[ "$lingering_status" -ne 4 ] || fail "the lingering program ran out its time instead of being ended"

timeout 30 wineserver --wait || fail "the scratch prefix's wineserver did not end"
echo "restart test: TRUE returned, the session ended"
