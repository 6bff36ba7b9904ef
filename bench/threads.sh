#!/usr/bin/env bash
# Threads benchmark: what `search -2` costs and gains against `search -1` on the search
# benchmark's workload. Runs the two in pairs (-1, then -2) with /usr/bin/time, first on every
# processor this script may use, then both pinned to two processors (a shared node, a batch
# slot of two cores); checks that both modes write the same result, and prints the ratios
# -2/-1 of wall and CPU seconds taken pair by pair.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BENCH=$ROOT/bench

usage() {
  cat <<EOF
usage: bench/threads.sh [options]
  --tiny           small workload, one pair each (CI)
  --runs N         pairs per setting, the median ratio is reported (default 5, tiny 1)
  --pin CPUS       the two processors of the pinned runs, as taskset takes them
                   (default: the first two this script may run on)
  --search PATH    the search program (default build/search)
  --bank KIND      fasta or swiss: which form of the bank search reads (default fasta)
  --workdir DIR    where the workload and the results go (default out/bench-SIZE)
EOF
}

size=full
runs=
pin=
search=$ROOT/build/search
bank=fasta
work=
while (($#)); do
  case $1 in
    --tiny) size=tiny ;;
    --runs) runs=${2:?}; shift ;;
    --pin) pin=${2:?}; shift ;;
    --search) search=${2:?}; shift ;;
    --bank) bank=${2:?}; shift ;;
    --workdir) work=${2:?}; shift ;;
    -h|--help) usage; exit 0 ;;
    *) echo "bench: unknown option $1" >&2; usage >&2; exit 2 ;;
  esac
  shift
done
[[ -n $runs ]] || { [[ $size == tiny ]] && runs=1 || runs=5; }
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "bench: --runs needs a positive number" >&2; exit 2; }
[[ $bank == fasta || $bank == swiss ]] || { echo "bench: --bank is fasta or swiss" >&2; exit 2; }
[[ -n $work ]] || work=$ROOT/out/bench-$size
for prog in /usr/bin/time taskset; do
  command -v "$prog" >/dev/null || { echo "bench: $prog is missing" >&2; exit 3; }
done
if [[ ! -x $search ]]; then
  echo "bench: no search program at $search (build it first, or give --search)" >&2
  exit 3
fi
search=$(cd "$(dirname "$search")" && pwd)/$(basename "$search")
free=$(python3 -c 'import os; print(",".join(map(str, sorted(os.sched_getaffinity(0)))))')
[[ -n $pin ]] || pin=$(cut -d, -f1-2 <<<"$free")

tiny_flag=()
[[ $size == tiny ]] && tiny_flag=(--tiny)
echo "bench: workload in $work"
python3 "$BENCH/make_workload.py" "$work" "${tiny_flag[@]}"
cd "$work"
banks=banks_$bank.lst
rm -rf times-threads logs-threads
mkdir -p times-threads logs-threads

# One run of search -MODE in SETTING (free or pinned), pair K.
run() {
  local setting=$1 mode=$2 k=$3 rc=0
  local cmd=("$search" "-$mode" params.txt "$banks" queries.fa "res_threads$mode.txt")
  [[ $setting == pinned ]] && cmd=(taskset -c "$pin" "${cmd[@]}")
  rm -f "res_threads$mode.txt"
  /usr/bin/time -f '%e %U %S %M' -o "times-threads/$setting-$mode.$k" "${cmd[@]}" \
    >"logs-threads/$setting-$mode.$k" 2>&1 || rc=$?
  if ((rc)); then
    echo "bench: ${cmd[*]} failed with code $rc; its output:" >&2
    tail -n 20 "logs-threads/$setting-$mode.$k" >&2
    exit 1
  fi
}

status=0
for setting in free pinned; do
  echo "bench: $setting: $runs pairs of search -1 and search -2"
  for ((k = 1; k <= runs; k++)); do
    run "$setting" 1 "$k"
    run "$setting" 2 "$k"
    if ! python3 "$BENCH/report.py" same res_threads1.txt res_threads2.txt; then
      echo "bench: search -1 and search -2 results differ ($setting, pair $k)" >&2
      status=1
    fi
  done
done
((status)) || echo "bench: search -1 and search -2 results are identical in every pair"

echo
echo "search -2 against search -1 ($size workload, $bank bank, $(date -u '+%Y-%m-%d %H:%M UTC'))"
python3 "$BENCH/report.py" pairs times-threads "free=free (cpus $free)" "pinned=pinned (cpus $pin)"
exit $status
