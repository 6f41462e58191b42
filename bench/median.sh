# Sourced by the whole-process benches. median_us COMMAND...: the median wall time of `runs`
# runs of the command (after one to warm the page cache), in microseconds.
median_us() {
  local times=() i start end
  "$@" >/dev/null 2>&1 </dev/null
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 </dev/null
    end=$(date +%s%N)
    times+=($(((end - start) / 1000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'
}
