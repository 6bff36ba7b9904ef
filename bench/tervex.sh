#!/usr/bin/env bash
# tervex benchmark: the set of sequences that one benchmark query's search names is screened
# against itself by tervex (Full, then Reduce and Shorten), beside `search -1` of the same set
# (as queries) against a bank made of the same set. Prints the median wall and CPU seconds and
# peak memory of each, and the ratios to that search.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BENCH=$ROOT/bench

usage() {
  cat <<EOF
usage: bench/tervex.sh [options]
  --tiny           small workload, one run each (CI)
  --query N        which benchmark query names the set, from 0 (default 0)
  --runs N         runs per program, the median is reported (default 3, tiny 1)
  --bin DIR        where the programs are (default build)
  --workdir DIR    where the workload goes (default out/bench-SIZE)
EOF
}

size=full
query=0
runs=
bin=$ROOT/build
work=
while (($#)); do
  case $1 in
    --tiny) size=tiny ;;
    --query) query=${2:?}; shift ;;
    --runs) runs=${2:?}; shift ;;
    --bin) bin=${2:?}; shift ;;
    --workdir) work=${2:?}; shift ;;
    -h|--help) usage; exit 0 ;;
    *) echo "bench: unknown option $1" >&2; usage >&2; exit 2 ;;
  esac
  shift
done
[[ -n $runs ]] || { [[ $size == tiny ]] && runs=1 || runs=3; }
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "bench: --runs needs a positive number" >&2; exit 2; }
[[ $query =~ ^[0-9]+$ ]] || { echo "bench: --query needs a number" >&2; exit 2; }
[[ -n $work ]] || work=$ROOT/out/bench-$size
bin=$(cd "$bin" && pwd)
for p in search tervex; do
  [[ -x $bin/$p ]] || { echo "bench: no $p program in $bin (build it first)" >&2; exit 3; }
done
[[ -x /usr/bin/time ]] || { echo "bench: /usr/bin/time is needed (Debian package time)" >&2; exit 3; }

tiny_flag=()
[[ $size == tiny ]] && tiny_flag=(--tiny)
echo "bench: workload in $work"
python3 "$BENCH/make_workload.py" "$work" "${tiny_flag[@]}"
mkdir -p "$work/tervex"
cd "$work/tervex"
rm -rf times logs
mkdir -p times logs

# A lower alignment threshold and 200 supermotifs kept, so that the set holds about 200
# sequences; the search of the set uses the same parameters.
cp ../colors.txt ../code.txt .
{ cat ../params.txt; printf 'Alignment power threshold  !F 5.0\nMost alignments kept   !M 200\n'; } >params.txt
python3 - "$query" <<'EOF'
import sys
k = int(sys.argv[1])
entries = open("../queries.fa").read().split(">")[1:]
if k >= len(entries):
    sys.exit("bench: there are only %d queries" % len(entries))
open("query.fa", "w").write(">" + entries[k])
EOF
echo "../bench_fasta.fa" >bank.lst
"$bin/search" -1 params.txt bank.lst query.fa set.mot >logs/set.log 2>&1

# The set as a bank of its own: the entries the supermotifs name, best first.
python3 - <<'EOF'
import re
order = []
for line in open("set.mot"):
    if line.startswith("Supermotif"):
        t = line.split()
        key = (t[3], int(t[4]))
        if key not in order:
            order.append(key)
seqs = {}
for path in {p for p, _ in order}:
    n = -1
    for chunk in open(path).read().split("\n>"):
        n += 1
        seqs[(path, n)] = chunk.lstrip(">")
with open("set.fa", "w") as out:
    for key in order:
        out.write(">" + seqs[key] + ("" if seqs[key].endswith("\n") else "\n"))
print("bench: the set holds %d sequences" % len(order))
EOF
python3 "$ROOT/tools/mkidx.py" set.fa >/dev/null
echo "set.fa" >set.lst

set_cmd() {
  case $1 in
    search1) cmd=("$bin/search" -1 params.txt set.lst set.fa res_search1.txt) ;;
    full) cmd=("$bin/tervex" params.txt set.mot res_full.mot) ;;
    reduce) cmd=("$bin/tervex" params.txt set.mot res_reduce.mot -R) ;;
    shorten) cmd=("$bin/tervex" params.txt set.mot res_shorten.mot -S) ;;
  esac
}

list=(search1 full reduce shorten)
for t in "${list[@]}"; do
  set_cmd "$t"
  echo "bench: $t: ${cmd[*]}"
  for ((k = 1; k <= runs; k++)); do
    rc=0
    /usr/bin/time -f '%e %U %S %M' -o "times/$t.$k" "${cmd[@]}" >"logs/$t.$k" 2>&1 || rc=$?
    if ((rc)); then
      echo "bench: $t failed with code $rc; its output:" >&2
      tail -n 20 "logs/$t.$k" >&2
      exit 1
    fi
  done
done

echo
echo "tervex benchmark ($size workload, query $query, $(nproc) CPUs, $(date -u '+%Y-%m-%d %H:%M UTC'))"
python3 - "${list[@]}" <<'EOF'
import statistics, sys, glob
rows = {}
for t in sys.argv[1:]:
    runs = [list(map(float, open(f).read().split())) for f in sorted(glob.glob("times/%s.*" % t))]
    wall = statistics.median(r[0] for r in runs)
    cpu = statistics.median(r[1] + r[2] for r in runs)
    mem = statistics.median(r[3] for r in runs) / 1024
    rows[t] = (wall, cpu, mem)
blocks = {t: sum(1 for l in open("res_%s.%s" % (t, "txt" if t == "search1" else "mot"))
                 if l.startswith("Supermotif")) for t in rows}
base = rows["search1"]
print("%-10s %9s %9s %9s %10s %10s %11s" % ("program", "wall s", "cpu s", "peak MB",
                                            "wall/s-1", "cpu/s-1", "supermotifs"))
for t, (w, c, m) in rows.items():
    print("%-10s %9.2f %9.2f %9.1f %10.3f %10.3f %11d" % (t, w, c, m, w / base[0] if base[0] else 0,
                                                          c / base[1] if base[1] else 0, blocks[t]))
EOF
