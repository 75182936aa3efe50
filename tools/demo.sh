#!/usr/bin/env bash
# Lumora's main job, shown end to end: builds the two Windows servers, registers them with
# regsvr32 in a private Wine prefix, and runs the stand-in browser on a sample login page
# and a sample store. The band appears through the browser helper, the user picks the site
# from the band's menu, and the page is filled and submitted. Screenshots are left in
# build/demo/.
set -uo pipefail
cd "$(dirname "$0")/.."
./tools/setup.sh || exit 1

echo "Building keyvale.dll, navlatch.dll and the stand-in browser (32-bit Windows) ..."
cmake --preset win32 >/dev/null || exit 1
cmake --build --preset win32 --target keyvale navlatch lumora-host >/dev/null || exit 1

out=build/demo
rm -rf "$out" && mkdir -p "$out"
run=(cmake/wine-run.sh win32 "$out/wine")
trap '"${run[@]}" --shutdown' EXIT

echo "Registering both servers in a new private Wine prefix ..."
"${run[@]}" regsvr32 /s build/win32/src/server/keyvale.dll || { echo "keyvale.dll did not register"; exit 1; }
"${run[@]}" regsvr32 /s build/win32/src/helper/navlatch.dll || { echo "navlatch.dll did not register"; exit 1; }

echo "Starting the stand-in browser on the demonstration ..."
"${run[@]}" build/win32/harness/host/lumora-host.exe --narrate --out "$out" demo/signon.scenario | tr -d '\r'
status=${PIPESTATUS[0]}
echo
if [ "$status" -eq 0 ]; then
  echo "Lumora signed on: the page was filled from the store and submitted."
else
  echo "The demonstration did not go as expected (see the steps above)."
fi
echo "Screenshots: $out/band.png (the band), $out/menu.png (its menu), $out/filled.png (the filled page)."
exit "$status"
