#!/usr/bin/env bash
# Sets up the machine, builds every preset and runs every test.
#   tools/test.sh              all presets: native, asan, win32, win64
#   tools/test.sh PRESET...    only those
# Ends with one line "N passed, N failed" over all presets; exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
./tools/setup.sh || exit 1

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native asan win32 win64)

passed=0 failed=0 broken=()
for p in "${presets[@]}"; do
  echo "=== $p: configure and build"
  if ! cmake --preset "$p" >/dev/null || ! cmake --build --preset "$p"; then
    broken+=("$p (build)"); failed=$((failed + 1)); continue
  fi
  echo "=== $p: test"
  log=$(mktemp)
  ctest --preset "$p" 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  rm -f "$log"
  if [ -n "$line" ]; then
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + t - f)); failed=$((failed + f))
  fi
  if [ "$rc" -ne 0 ]; then
    broken+=("$p"); [ -n "$line" ] || failed=$((failed + 1))
  fi
done

[ ${#broken[@]} -eq 0 ] || echo "failing: ${broken[*]}"
echo "$passed passed, $failed failed"
[ ${#broken[@]} -eq 0 ]
