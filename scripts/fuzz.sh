#!/usr/bin/env bash
# Builds the fuzzers with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) into
# build-fuzz/ and runs each for the given seconds (default 60) from its seed corpus in fuzz/corpus/.
# New inputs go to build-fuzz/corpus/, crashes to build-fuzz/crashes/; any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
[ -f build-fuzz/build.ninja ] || cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DVIMBREL_FUZZ=ON -DBUILD_TESTING=OFF
cmake --build build-fuzz --parallel "$(nproc)"

status=0
mkdir -p build-fuzz/crashes
for seeds in fuzz/corpus/*/; do
  name="$(basename "$seeds")"
  work="build-fuzz/corpus/$name"
  mkdir -p "$work"
  log="build-fuzz/$name.log"
  if ./build-fuzz/"$name" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=4096 \
       -artifact_prefix=build-fuzz/crashes/"$name"- "$work" "$seeds" >"$log" 2>&1; then
    result="clean"
  else
    result="FAILED (see $log)"
    status=1
  fi
  runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)"
  printf '%-26s %12s executions in %ss: %s\n' "$name" "$runs" "$seconds" "$result"
done
exit "$status"
