#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/, writes their seed corpora and runs
# each target for SECONDS (default 60), one after another. New inputs collect in
# build-fuzz/corpus/<target>/, crashes in build-fuzz/findings/<target>/. Prints executions and
# findings per target at the end.
#   fuzz/run.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(document standalone script events profile resolver playlist image gif metafile expr)
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQLM_FUZZ=ON -DQLM_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_seeds "${targets[@]/#/fuzz_}"
./build-fuzz/fuzz_seeds build-fuzz/seeds

summary=()
for t in "${targets[@]}"; do
  corpus="build-fuzz/corpus/$t"
  findings="build-fuzz/findings/$t"
  mkdir -p "$corpus" "$findings"
  log="build-fuzz/fuzz_$t.log"
  status=0
  ASAN_OPTIONS=detect_leaks=1 ./build-fuzz/fuzz_"$t" "$corpus" "build-fuzz/seeds/$t" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1 || status=$?
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  found=$(find "$findings" -type f | wc -l)
  summary+=("$(printf '%-11s %10s executions  %s findings  exit %s' "$t" "$execs" "$found" "$status")")
done
printf '%s\n' "${summary[@]}"
