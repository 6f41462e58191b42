#!/usr/bin/env bash
# The counted For loop of bench_script against yabasic, in one run:
#   bench/script_vs_yabasic.sh [BUILD_DIR]    (REPETITIONS=N, default 5: medians of N)
# Prints the executor's time with compiled expressions and with every text read afresh, and
# yabasic's loop less its start-up, by wall time and by processor time, with the ratios.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bench=$build/bench_script
[ -x "$bench" ] || { echo "script_vs_yabasic.sh: $bench is missing (build first)" >&2; exit 1; }
command -v yabasic >/dev/null || { echo "script_vs_yabasic.sh: yabasic is not installed" >&2; exit 1; }
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$bench" --benchmark_filter='BM_ExecutorForLoop|BM_Yabasic' \
  --benchmark_repetitions="${REPETITIONS:-5}" --benchmark_report_aggregates_only=true \
  --benchmark_format=json >"$out" 2>/dev/null
python3 - "$out" <<'PY'
import json, sys
rows = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    name = b["run_name"].split("/")[0]
    scale = {"ms": 1, "us": 1e-3, "ns": 1e-6, "s": 1e3}[b["time_unit"]]
    cpu = b["cpu_time"] * scale if "cpu_ms" not in b else b["cpu_ms"]
    rows[name] = (b["real_time"] * scale, cpu)
loop, start = rows["BM_YabasicForLoop"], rows["BM_YabasicStartup"]
yabasic = (loop[0] - start[0], loop[1] - start[1])
print(f"{'':28}{'wall ms':>10}{'cpu ms':>10}{'ratio wall':>12}{'ratio cpu':>11}")
print(f"{'yabasic (start-up taken off)':28}{yabasic[0]:10.1f}{yabasic[1]:10.1f}")
for name in ("BM_ExecutorForLoop", "BM_ExecutorForLoopParsed"):
    wall, cpu = rows[name]
    print(f"{name[3:]:28}{wall:10.1f}{cpu:10.1f}{wall / yabasic[0]:12.2f}{cpu / yabasic[1]:11.2f}")
PY
