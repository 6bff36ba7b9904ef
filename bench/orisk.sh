#!/usr/bin/env bash
# orisk benchmark: search writes two motif files from the example bank (its entries carry
# keywords and features by family), the second from twice the queries, and orisk learns
# from each. Prints the wall seconds and peak memory of every run, the ratio of the two
# orisk times and of each orisk time to the search that made its motif file.
#
#   bench/orisk.sh [--queries N] [--runs R] [--power P] [--apower F] [--workdir DIR]
#                  [--search PATH] [--orisk PATH]
#
# The queries are the first N (then 2N) entries of the bank, in Swiss-Prot form with their
# index, so that orisk reads the queries' keywords and features as well.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
queries=50
runs=3
power=3.0
apower=4.5
work=$ROOT/out/bench-orisk
search=$ROOT/build/search
orisk=$ROOT/build/orisk
while (($#)); do
  case $1 in
    --queries) queries=${2:?}; shift ;;
    --runs) runs=${2:?}; shift ;;
    --power) power=${2:?}; shift ;;
    --apower) apower=${2:?}; shift ;;
    --workdir) work=${2:?}; shift ;;
    --search) search=${2:?}; shift ;;
    --orisk) orisk=${2:?}; shift ;;
    -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
    *) echo "bench: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
[[ $queries =~ ^[1-9][0-9]*$ && $runs =~ ^[1-9][0-9]*$ ]] ||
  { echo "bench: --queries and --runs need positive numbers" >&2; exit 2; }
for p in "$search" "$orisk" /usr/bin/time; do
  [[ -x $p ]] || { echo "bench: no program at $p (build it first)" >&2; exit 3; }
done

mkdir -p "$work"
cd "$work"
cp "$ROOT"/example/{colors.txt,code.txt,bank.dat} .
python3 "$ROOT/tools/mkidx.py" bank.dat >/dev/null
echo bank.dat >banks.lst
sed -e "s/!P [0-9.]*/!P $power/" -e "s/!F [0-9.]*/!F $apower/" "$ROOT/example/params.txt" >params.txt

# Median of the wall seconds and peak kilobytes of R runs of a command.
timed() {
  local i
  : >times.txt
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f "%e %M" -o time1.txt "$@" >/dev/null
    cat time1.txt >>times.txt
  done
  sort -n times.txt | awk -v r="$runs" 'NR == int((r + 1) / 2) { print $1, $2 }'
}

declare -A wall mem sup
for n in "$queries" $((2 * queries)); do
  python3 - "$n" <<'EOF'
import sys
n = int(sys.argv[1])
entries = open("bank.dat").read().split("//\n")[:n]
open("q%d.dat" % n, "w").write("".join(e + "//\n" for e in entries))
EOF
  python3 "$ROOT/tools/mkidx.py" "q$n.dat" >/dev/null
  read -r wall[s$n] mem[s$n] < <(timed "$search" params.txt banks.lst "q$n.dat" "m$n.txt")
  sup[$n]=$(grep -c '^Supermotif' "m$n.txt" || true)
  read -r wall[o$n] mem[o$n] < <(timed "$orisk" "m$n.txt" "s$n.txt" -KW KW DE -I)
  printf '%5d queries: %6d supermotifs  search %7.2f s %7.1f MB   orisk %7.2f s %7.1f MB\n' \
    "$n" "${sup[$n]}" "${wall[s$n]}" "$(echo "${mem[s$n]} / 1024" | bc -l)" \
    "${wall[o$n]}" "$(echo "${mem[o$n]} / 1024" | bc -l)"
done
n1=$queries n2=$((2 * queries))
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
echo "orisk time ratio (2x input / 1x): $(ratio "${wall[o$n2]}" "${wall[o$n1]}")  (target <= 2.2)"
echo "orisk / search: $(ratio "${wall[o$n1]}" "${wall[s$n1]}") and $(ratio "${wall[o$n2]}" "${wall[s$n2]}")  (target <= 0.25)"
mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
echo "orisk peak memory: $(mb "${mem[o$n1]}") MB and $(mb "${mem[o$n2]}") MB  (target < 200 MB)"
