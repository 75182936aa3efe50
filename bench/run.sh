#!/usr/bin/env bash
# Runs the markup benchmark once, cases interleaved at random, with glibc keeping the
# memory it is given (so that large documents do not measure page faults), and prints
# the ratios from the medians of the repetitions.
#   bench/run.sh [BUILD_DIR] [extra benchmark arguments]   (default build/native)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native}
shift || true
bin=$build/bench/markup_bench
if [ ! -x "$bin" ]; then
  cmake --preset native -B "$build" >/dev/null
  cmake --build "$build" -j2 --target markup_bench >/dev/null
fi
out=$(mktemp)
trap 'rm -f "$out"' EXIT
# 32 MiB is the largest mmap threshold glibc takes. A block above it (the 64 MB text of the
# 100,000-site store) is still mapped afresh each time it is allocated, so only the cases
# that allocate one per iteration (AssignTextNewDoc) pay its page faults; the others keep
# their buffers (pugixml's 32 MB UTF-8 copy stays just below the threshold).
GLIBC_TUNABLES=glibc.malloc.trim_threshold=4294967295:glibc.malloc.mmap_threshold=33554432 \
  "$bin" --benchmark_repetitions=${REPETITIONS:-9} --benchmark_enable_random_interleaving=true \
         --benchmark_min_time=${MIN_TIME:-0.1} --benchmark_format=json --benchmark_out="$out" \
         --benchmark_out_format=json "$@" >/dev/null
python3 - "$out" <<'PY'
import json, statistics, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
times = {}
for r in runs:
    if r.get("run_type") == "iteration":
        times.setdefault(r["run_name"], []).append(r["cpu_time"] * {"ns": 1, "us": 1e3, "ms": 1e6}[r["time_unit"]])
t = {name: statistics.median(v) for name, v in times.items()}
def ms(x): return f"{x / 1e6:9.3f} ms" if x >= 1e5 else f"{x / 1e3:9.3f} us"
sizes = [100, 10000, 100000]
parsers = ["RapidXml16", "PugiUtf8", "PugiUtf16"]
print("Parse (median CPU time)          " + "".join(f"{n:>14,}" for n in sizes))
for name in ["Floor", "AssignText", "AssignTextNewDoc"] + parsers:
    print(f"  {name:30}" + "".join(f"{ms(t[f'{name}/{n}']):>14}" for n in sizes if f"{name}/{n}" in t))
print("Ratios")
for doc in ["AssignText", "AssignTextNewDoc"]:
    row_fast, row_floor = [], []
    for n in sizes:
        fastest = min(parsers, key=lambda p: t[f"{p}/{n}"])
        row_fast.append(f"{t[f'{doc}/{n}'] / t[f'{fastest}/{n}']:6.2f} ({fastest})")
        row_floor.append(f"{t[f'{doc}/{n}'] / t[f'Floor/{n}']:6.2f}")
    print(f"  {doc + ' / fastest parser':34}" + "".join(f"{x:>24}" for x in row_fast))
    print(f"  {doc + ' / floor':34}" + "".join(f"{x:>24}" for x in row_floor))
print("Read pass: every Site, its title and url")
for name in ["ReadMarkupDoc", "ReadRapidXml16", "ReadPugi"]:
    print(f"  {name:30}" + "".join(f"{ms(t[f'{name}/{n}']):>14}" for n in sizes))
print("Edits (each iteration makes the edit and undoes it)")
for name in ["EditAppendAtEnd", "EditRemoveNearEnd", "EditRemoveMiddle"]:
    print(f"  {name:30}" + "".join(f"{ms(t[f'{name}/{n}']):>14}" for n in sizes))
for name in ["PugiAppendAtEnd", "PugiRemoveMiddle"]:
    print(f"  {name:30}{'':14}{ms(t[f'{name}/10000']):>14}")
e, m = t["EditAppendAtEnd/10000"], t["EditRemoveMiddle/10000"]
print(f"  10,000 sites: middle / end = {m / e:.1f}")
for name in ["EditAppendAtEnd", "EditRemoveNearEnd"]:
    print(f"  {name}: 100,000 sites / 100 sites = {t[name + '/100000'] / t[name + '/100']:.2f}"
          " (the part before the change grows 1,000 times)")
print(f"  EditRemoveMiddle: 100,000 / 10,000 = {t['EditRemoveMiddle/100000'] / t['EditRemoveMiddle/10000']:.1f}"
      " (grows with the part after the change)")
PY
