#!/usr/bin/env bash
# The lumora tool on Wine, against the prefix's own store:
#   LUMORA_WINE_RUN=... lumora_tool_test.sh LUMORA_EXE DATA_DIR
# replace then text gives the same document; sites lists with values masked; a missing
# store, or a file that does not parse, is a clear error with a non-zero exit that
# changes nothing.
set -u
lumora=$1 data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

run() { $LUMORA_WINE_RUN "$lumora" "$@"; }
# A host path as Wine's Z: drive sees it.
winpath() { printf 'Z:%s' "$(realpath "$1" | sed 's|/|\\|g')"; }
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
exit_is() { [ "$1" -eq "$2" ]; }

# No store yet.
$LUMORA_WINE_RUN cmd /c del /q '%APPDATA%\orvane\keyvale.kvp' >/dev/null 2>&1
run text >"$work/none.out" 2>"$work/none.err"; rc=$?
check "text without a store fails" exit_is "$rc" 1
check "text without a store says so" grep -q "lumora: there is no store file at .*orvane.keyvale.kvp" "$work/none.err"
check "text without a store writes nothing" test ! -s "$work/none.out"
run sites >/dev/null 2>"$work/none-sites.err"; rc=$?
check "sites without a store fails" exit_is "$rc" 1

# replace, then text: the same bytes.
run replace "$(winpath "$data/roundtrip.xml")" >"$work/replace.out" 2>"$work/replace.err"; rc=$?
check "replace succeeds" exit_is "$rc" 0
[ "$rc" -eq 0 ] || cat "$work/replace.err"
run text >"$work/text.out" 2>"$work/text.err"; rc=$?
check "text succeeds" exit_is "$rc" 0
check "replace then text gives the same document" cmp "$data/roundtrip.xml" "$work/text.out"
run sites >"$work/sites.out" 2>"$work/sites.err"; rc=$?
check "sites succeeds" exit_is "$rc" 0
check "sites lists titles, addresses and masked fields" cmp "$data/roundtrip.sites" "$work/sites.out"

# Files that do not parse, or have another root, or do not exist, change nothing.
for bad in broken.xml other-root.xml absent.xml; do
  run replace "$(winpath "$data")\\$bad" >/dev/null 2>"$work/bad.err"; rc=$?
  check "replace with $bad fails" exit_is "$rc" 1
  check "replace with $bad explains" grep -q "^lumora: " "$work/bad.err"
  run text >"$work/after.out" 2>/dev/null
  check "replace with $bad leaves the store" cmp "$data/roundtrip.xml" "$work/after.out"
done
run >/dev/null 2>"$work/usage.err"; rc=$?
check "no command shows the usage" exit_is "$rc" 2
check "the usage names the commands" grep -q "usage: lumora sites" "$work/usage.err"

$LUMORA_WINE_RUN cmd /c del /q '%APPDATA%\orvane\keyvale.kvp' >/dev/null 2>&1
if [ "$failures" -eq 0 ]; then echo "lumora tool: every check passed"; exit 0; fi
echo "lumora tool: $failures checks failed"
exit 1
