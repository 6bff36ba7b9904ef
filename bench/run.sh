#!/usr/bin/env bash
# Search benchmark: times `search -1` and `search -2` (and, with --others,
# fasta36 and blastp on one thread) on the same generated workload, checks
# that both search modes write the same result (and the golden one, when
# kept), and prints wall and CPU seconds, peak memory and the ratios to
# `search -1`.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BENCH=$ROOT/bench

usage() {
  cat <<EOF
usage: bench/run.sh [options]
  --tiny           small workload, one run each (CI)
  --others         also time fasta36 and blastp with one thread
                   (installs the Debian packages fasta3 and ncbi-blast+ when missing)
  --tools LIST     comma-separated programs to time, of search1 search2 fasta36 blastp
                   (default search1,search2)
  --runs N         runs per program, the median is reported (default 3, tiny 1)
  --search PATH    the search program (default build/search)
  --bank KIND      fasta or swiss: which form of the bank search reads (default fasta)
  --workdir DIR    where the workload and the results go (default out/bench-SIZE)
  --make-golden    keep search -1's result as the golden result of this workload
EOF
}

size=full
tools=search1,search2
others=0
runs=
search=$ROOT/build/search
bank=fasta
work=
make_golden=0
while (($#)); do
  case $1 in
    --tiny) size=tiny ;;
    --others) others=1 ;;
    --tools) tools=${2:?}; shift ;;
    --runs) runs=${2:?}; shift ;;
    --search) search=${2:?}; shift ;;
    --bank) bank=${2:?}; shift ;;
    --workdir) work=${2:?}; shift ;;
    --make-golden) make_golden=1 ;;
    -h|--help) usage; exit 0 ;;
    *) echo "bench: unknown option $1" >&2; usage >&2; exit 2 ;;
  esac
  shift
done
((others)) && tools=$tools,fasta36,blastp
[[ -n $runs ]] || { [[ $size == tiny ]] && runs=1 || runs=3; }
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "bench: --runs needs a positive number" >&2; exit 2; }
[[ $bank == fasta || $bank == swiss ]] || { echo "bench: --bank is fasta or swiss" >&2; exit 2; }
[[ -n $work ]] || work=$ROOT/out/bench-$size
IFS=, read -r -a list <<<"$tools"
for t in "${list[@]}"; do
  case $t in search1|search2|fasta36|blastp) ;; *) echo "bench: unknown program $t" >&2; exit 2 ;; esac
done
has() { [[ ,$tools, == *,$1,* ]]; }

# Installs a Debian package when its program is missing.
need() {
  local prog=$1 pkg=$2
  command -v "$prog" >/dev/null 2>&1 && return 0
  echo "bench: installing $pkg"
  if ! { DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$pkg" >/dev/null 2>&1 ||
         { apt-get update -qq >/dev/null 2>&1 &&
           DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$pkg" >/dev/null 2>&1; }; }; then
    echo "bench: could not install $pkg" >&2
    exit 3
  fi
}

need /usr/bin/time time
if has search1 || has search2; then
  if [[ ! -x $search ]]; then
    echo "bench: no search program at $search (build it first, or give --search)" >&2
    exit 3
  fi
  search=$(cd "$(dirname "$search")" && pwd)/$(basename "$search")
fi
has fasta36 && need fasta36 fasta3
has blastp && need blastp ncbi-blast+

tiny_flag=()
[[ $size == tiny ]] && tiny_flag=(--tiny)
echo "bench: workload in $work"
python3 "$BENCH/make_workload.py" "$work" "${tiny_flag[@]}"
cd "$work"
banks=banks_$bank.lst
if has blastp && [[ ! -e blastdb/bench.pin || bench_fasta.fa -nt blastdb/bench.pin ]]; then
  mkdir -p blastdb
  makeblastdb -in bench_fasta.fa -dbtype prot -out blastdb/bench >/dev/null
fi

set_cmd() {
  case $1 in
    search1) cmd=("$search" -1 params.txt "$banks" queries.fa res_search1.txt) ;;
    search2) cmd=("$search" -2 params.txt "$banks" queries.fa res_search2.txt) ;;
    fasta36) cmd=(fasta36 -q -T 1 -m 8 -b 100 queries.fa bench_fasta.fa) ;;
    blastp) cmd=(blastp -query queries.fa -db blastdb/bench -num_threads 1 -outfmt 6
                 -max_target_seqs 100) ;;
  esac
}

rm -rf times logs
mkdir -p times logs
for t in "${list[@]}"; do
  set_cmd "$t"
  echo "bench: $t: ${cmd[*]}"
  for ((k = 1; k <= runs; k++)); do
    rm -f "res_$t.txt"
    rc=0
    if [[ $t == search* ]]; then
      /usr/bin/time -f '%e %U %S %M' -o "times/$t.$k" "${cmd[@]}" >"logs/$t.$k" 2>&1 || rc=$?
    else
      /usr/bin/time -f '%e %U %S %M' -o "times/$t.$k" "${cmd[@]}" >"res_$t.txt" 2>"logs/$t.$k" || rc=$?
    fi
    if ((rc)); then
      echo "bench: $t failed with code $rc; its output:" >&2
      tail -n 20 "logs/$t.$k" >&2
      exit 1
    fi
  done
done

status=0
golden=${BENCH_GOLDEN_DIR:-$BENCH/golden}/$size-$bank.txt
if has search1 && has search2; then
  if python3 "$BENCH/report.py" same res_search1.txt res_search2.txt; then
    echo "bench: search -1 and search -2 results are identical"
  else
    echo "bench: search -1 and search -2 results differ" >&2
    status=1
  fi
fi
if ((make_golden)); then
  has search1 || { echo "bench: --make-golden needs search1" >&2; exit 2; }
  mkdir -p "$(dirname "$golden")"
  python3 "$BENCH/report.py" mask res_search1.txt "$golden"
  echo "bench: golden result written to $golden"
elif [[ -f $golden ]]; then
  for t in search1 search2; do
    has $t || continue
    if python3 "$BENCH/report.py" same "res_$t.txt" "$golden"; then
      echo "bench: $t result equals the golden result"
    else
      echo "bench: $t result differs from the golden result $golden" >&2
      status=1
    fi
  done
fi
if [[ $size == tiny ]]; then
  # The closest relatives must always be found.
  for t in search1 search2; do
    has $t || continue
    python3 "$BENCH/report.py" require "$t" "res_$t.txt" . 80 || status=1
  done
fi

echo
echo "search benchmark ($size workload, $bank bank, $(nproc) CPUs, $(date -u '+%Y-%m-%d %H:%M UTC'))"
python3 "$BENCH/report.py" table times . "${list[@]}"
exit $status
