#!/usr/bin/env bash
# The five programs chained on the example data, in a directory of their own:
#
#   tools/pipeline.sh BUILD_DIR WORK_DIR
#
# copies the inputs of example/ into WORK_DIR (made if needed) and runs there:
#   search  the example queries against the example bank        -> result.txt
#           (qry1.mot: the first query's part of it)
#   tervex  the bank entries that the first query found          -> cross.mot
#   search  the learning set (a dozen families) against the bank -> learn.mot
#   orisk   keyword and feature statistics from learn.mot        -> learn.sta
#   vantel  the first query's keywords and features              -> prediction.txt
#           (and its side files learn.inf, learn.pro)
#   plevit  the example search as alignments                     -> report.txt
# Each program's output goes to <program>.log (the second search's to learn.log). Ends
# non-zero, naming the step, when a program fails or reports an entry it can't read.
set -euo pipefail

[[ $# -eq 2 ]] || { echo "usage: tools/pipeline.sh BUILD_DIR WORK_DIR" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
work=$(cd "$2" && pwd)

for p in search tervex orisk vantel plevit; do
  [[ -x $build/$p ]] || { echo "pipeline: no program $build/$p (build it first)" >&2; exit 2; }
done
for f in params.txt colors.txt code.txt banks.lst bank.dat bank.idx queries.fa queries.idx \
         learn.dat learn.idx thesaurus.mesh; do
  cp "$root/example/$f" "$work/"
done
cd "$work"
rm -f ./*.log fun_dist.txt

# step NAME LOG PROGRAM ARGS...: runs one program with its output in LOG; a non-zero exit
# or an unreadable entry ends the chain.
step() {
  local name=$1 log=$2
  shift 2
  local rc=0
  "$build/$@" >"$log" 2>&1 || rc=$?
  if ((rc != 0)); then
    echo "pipeline: $name failed (exit $rc); see $work/$log" >&2
    tail -n 5 "$log" >&2
    exit 1
  fi
  # Every "Can't read" but the note that the built-in matrix is used.
  if grep "Can't read" "$log" | grep -vq "Weight matrix"; then
    echo "pipeline: $name could not read every entry; see $work/$log" >&2
    grep "Can't read" "$log" | grep -v "Weight matrix" | head -n 5 >&2
    exit 1
  fi
}

step search search.log search params.txt banks.lst queries.fa result.txt
# The first query's motif file: the banner and its own block, up to the second query.
awk '/^Query:/ { n++ } n < 2' result.txt >qry1.mot
grep -q '^Supermotif' qry1.mot || { echo "pipeline: the first query found nothing" >&2; exit 1; }
step tervex tervex.log tervex params.txt qry1.mot cross.mot
step search learn.log search params.txt banks.lst learn.dat learn.mot
step orisk orisk.log orisk learn.mot learn.sta -M thesaurus.mesh -KW KW DE
step vantel vantel.log vantel learn.sta qry1.mot prediction.txt -M thesaurus.mesh
step plevit plevit.log plevit result.txt report.txt
