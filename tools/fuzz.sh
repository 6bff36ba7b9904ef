#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer) and
# runs every reader target for a bounded time over its seed corpus, in parallel.
# Any crash, leak, timeout, out-of-memory or undefined behaviour fails the script.
#
#   FUZZ_SECONDS   seconds per target (default 20)
#   FUZZ_TIMEOUT   seconds one input may take (default 10)
#   FUZZ_TARGETS   names to run, blank-separated (default: every fuzz/*_fuzz.cpp)
#   JOBS           targets run at once (default: number of cores)
#   FUZZ_BUILD     build directory (default build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
JOBS=${JOBS:-$(nproc)}
SECONDS_EACH=${FUZZ_SECONDS:-20}
TIMEOUT=${FUZZ_TIMEOUT:-10}
BUILD=${FUZZ_BUILD:-build-fuzz}
case $BUILD in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac

CXX_FUZZ=${CXX_FUZZ:-$(command -v clang++ || command -v clang++-14 || true)}
if [ -z "$CXX_FUZZ" ]; then
  echo "fuzz.sh: clang++ is needed for the libFuzzer targets" >&2
  exit 1
fi

if [ -n "${FUZZ_TARGETS:-}" ]; then
  read -r -a targets <<<"$FUZZ_TARGETS"
else
  targets=()
  for src in fuzz/*_fuzz.cpp; do
    n=$(basename "$src" .cpp)
    targets+=("${n%_fuzz}")
  done
fi

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_CXX_COMPILER="$CXX_FUZZ" -DSEQ_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target $(printf '%s_fuzz ' "${targets[@]}")

LOGS="$BUILD/fuzz-logs"
WORK="$BUILD/fuzz-corpus"
ART="$BUILD/fuzz-artifacts"
mkdir -p "$LOGS" "$WORK" "$ART"
# The targets work in scratch directories; one left by a crashed run stays in the build tree.
export TMPDIR="$BUILD/fuzz-tmp"
rm -rf "$TMPDIR"
mkdir -p "$TMPDIR"

# Public matrices installed on the machine seed the matrix target; they are read from their
# place into the build tree's working corpus, never into the repository.
if [ -d /usr/share/ncbi/data ]; then
  mkdir -p "$WORK/matrix"
  for m in BLOSUM62 BLOSUM45 PAM30; do
    [ -f "/usr/share/ncbi/data/$m" ] && cp "/usr/share/ncbi/data/$m" "$WORK/matrix/"
  done
fi

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:symbolize=1
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1
# Limits of one input, the same when a finding is replayed.
LIMITS=(-timeout="$TIMEOUT" -rss_limit_mb=2048 -detect_leaks=1)

run_one() {
  local t=$1
  local seeds="$ROOT/fuzz/corpus/$t"
  local dict="$ROOT/fuzz/dict/$t.dict"
  local args=(-max_total_time="$SECONDS_EACH" "${LIMITS[@]}" -print_final_stats=1
              -artifact_prefix="$ART/$t-")
  [ -f "$dict" ] && args+=(-dict="$dict")
  mkdir -p "$WORK/$t"
  # The first directory receives new inputs; the seed corpus in the repository stays as it is.
  local rc=0
  "$BUILD/fuzz/${t}_fuzz" "${args[@]}" "$WORK/$t" "$seeds" >"$LOGS/$t.log" 2>&1 || rc=$?
  echo "$rc" >"$LOGS/$t.rc"
}

for t in "${targets[@]}"; do
  if [ ! -x "$BUILD/fuzz/${t}_fuzz" ]; then
    echo "fuzz.sh: no target ${t}_fuzz" >&2
    exit 1
  fi
  while [ "$(jobs -rp | wc -l)" -ge "$JOBS" ]; do wait -n || true; done
  rm -f "$LOGS/$t.rc"
  run_one "$t" &
done
wait

failed=0
for t in "${targets[@]}"; do
  if [ "$(cat "$LOGS/$t.rc" 2>/dev/null)" = 0 ]; then
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$LOGS/$t.log" | tail -1)
    printf '  %-12s ok   %10s executions in %ss\n' "$t" "${execs:-?}" "$SECONDS_EACH"
  else
    failed=1
    printf '  %-12s FAILED (log %s)\n' "$t" "$LOGS/$t.log"
    grep -E 'ERROR|runtime error|fuzz check failed|SUMMARY|Test unit written' "$LOGS/$t.log" | head -20 || true
    unit=$(sed -n 's/.*Test unit written to //p' "$LOGS/$t.log" | tail -1)
    if [ -n "$unit" ]; then
      printf '  replay: ASAN_OPTIONS=%s UBSAN_OPTIONS=%s %q' "$ASAN_OPTIONS" "$UBSAN_OPTIONS" \
        "$BUILD/fuzz/${t}_fuzz"
      printf ' %q' "${LIMITS[@]}" "$unit"
      echo
    else
      echo "  no input was written: the log tells why"
    fi
  fi
done

if [ "$failed" -ne 0 ]; then
  echo "fuzz.sh: a target found a fault; the input is under $ART" >&2
  exit 1
fi
echo "fuzz.sh: every target ran ${SECONDS_EACH}s without a fault"
