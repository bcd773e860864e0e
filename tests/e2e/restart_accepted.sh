#!/usr/bin/env bash
# "是" on the restart question, for real: in a fresh scratch prefix (a forced restart ends every
# program of its prefix), removed on every way out. Passes when the journal holds exactly one
# CustomerFeedbackEx answer=1 whose time is within 5 s of the click, the prefix's programs end, and
# the restart deleted the tool's files from its folder (Wine carries out the deletions registered
# for the next start of the system as it restarts) and kept the user's note there.
set -u
e2e="$1"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env"

scratch=$(mktemp -d)
cleanup() {
  WINEPREFIX="$scratch/prefix" wineserver --kill >/dev/null 2>&1
  rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
fail() { echo "restart accepted: $*"; exit 1; }

# Set up as the test prefix is (Windows 10, code page 936, the Wine desktop), by the same script.
export PALLUX_WINEPREFIX="$scratch/prefix" WINEPREFIX="$scratch/prefix"
"$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-prefix" >/dev/null || fail "cannot make the scratch prefix"

report="$scratch/report.txt"
PALLUX_RESTART_REPORT="$(winepath -w "$report")" timeout 180 "$project_root/scripts/wine-run" "$e2e" --gtest_also_run_disabled_tests \
  --gtest_filter='RestartAccepted.*' >"$scratch/run.txt" 2>&1
status=$?
[ -s "$report" ] || { cat "$scratch/run.txt"; fail "the restart question was not reached"; }
grep -q "the restart did not end this program" "$scratch/run.txt" && fail "the restart did not end the test program"
[ "$status" -ne 124 ] || fail "the run hung"
timeout 30 wineserver --wait || fail "the prefix's programs did not end"

journal_windows=$(sed -n 1p "$report" | tr -d '\r')
clicked=$(sed -n 2p "$report" | tr -d '\r')
journal=$(winepath -u "$journal_windows" 2>/dev/null)
WINEPREFIX="$scratch/prefix" wineserver --kill >/dev/null 2>&1
[ -f "$journal" ] || fail "no journal at $journal"
answers=$(grep -c $'\tCustomerFeedbackEx\t' "$journal")
[ "$answers" -eq 1 ] || fail "$answers CustomerFeedbackEx lines, expected 1"
line=$(grep $'\tCustomerFeedbackEx\t' "$journal")
answer=$(printf '%s' "$line" | tr '\t' '\n' | sed -n 's/^answer=//p' | tr -d '\r')
time=$(printf '%s' "$line" | tr '\t' '\n' | sed -n 's/^time=//p' | tr -d '\r')
[ "$answer" = 1 ] || fail "answer=$answer, expected 1"
diff=$((time - clicked)); [ "${diff#-}" -le 5 ] || fail "time $time is $diff s from the click at $clicked"
folder="${journal%-journal.txt}"
left=$(cd "$folder" 2>/dev/null && ls -A)
[ "$left" = notes.txt ] || fail "the tool's folder holds after the restart: ${left:-nothing at all}"
echo "restart accepted: one answer 1 at the click's time, the prefix's programs ended, the tool's files went"
