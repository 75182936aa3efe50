#!/usr/bin/env bash
# The two servers registered with regsvr32 in the session's prefix; the stand-in browser
# then starts as a browser does and gets the band through the helper. Copies of the browser
# named explorer.exe, or in a folder whose name holds it, get no helper and so no band.
#   registered.sh LUMORA_HOST KEYVALE_DLL NAVLATCH_DLL SCENARIO_FOLDER WORK_FOLDER
set -u
host=$1 keyvale=$2 navlatch=$3 scenarios=$4 work=$5
read -r -a run <<<"$LUMORA_WINE_RUN"
status=0
step() { echo "== $*"; }
check() { if ! "$@"; then echo "FAILED: $*"; status=1; fi; }

step "register both servers"
check "${run[@]}" regsvr32 /s "$keyvale"
check "${run[@]}" regsvr32 /s "$navlatch"

step "the browser gets the band from its helper, in every window"
check "${run[@]}" "$host" "$scenarios/helper-windows.scenario"

rm -rf "$work" && mkdir -p "$work/Internet Explorer" "$work/explorer.exe files"
cp "$host" "$work/Internet Explorer/iexplore.exe"
cp "$host" "$work/EXPLORER.EXE"
cp "$host" "$work/explorer.exe files/browser.exe"
step "a browser named iexplore.exe gets the band"
check "${run[@]}" "$work/Internet Explorer/iexplore.exe" "$scenarios/helper-windows.scenario"
step "the shell's name refuses the helper"
check "${run[@]}" "$work/EXPLORER.EXE" "$scenarios/no-band.scenario"
step "a folder named after the shell refuses it too"
check "${run[@]}" "$work/explorer.exe files/browser.exe" "$scenarios/no-band.scenario"

step "unregister both servers"
check "${run[@]}" regsvr32 /s /u "$navlatch"
check "${run[@]}" regsvr32 /s /u "$keyvale"
step "without registration no band is shown"
check "${run[@]}" "$host" "$scenarios/no-band.scenario"

if [ $status -eq 0 ]; then echo "registered: all passed"; else echo "registered: some steps failed"; fi
exit $status
