#!/usr/bin/env bash
# The five programs chained on the example data, in a directory of their own:
#
#   tools/pipeline.sh BUILD_DIR WORK_DIR [EXAMPLE_DIR]
#
# copies the inputs of EXAMPLE_DIR (default example/) into WORK_DIR (made if needed) and
# runs there:
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

[[ $# -eq 2 || $# -eq 3 ]] || { echo "usage: tools/pipeline.sh BUILD_DIR WORK_DIR [EXAMPLE_DIR]" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
example=$(cd "${3:-$root/example}" && pwd)
mkdir -p "$2"
work=$(cd "$2" && pwd)

for p in search tervex orisk vantel plevit; do
  [[ -x $build/$p ]] || { echo "pipeline: no program $build/$p (build it first)" >&2; exit 2; }
done
for f in params.txt colors.txt code.txt banks.lst bank.dat bank.idx queries.fa queries.idx \
         learn.dat learn.idx thesaurus.mesh; do
  [[ -f $example/$f ]] || { echo "pipeline: no input $example/$f" >&2; exit 2; }
  cp "$example/$f" "$work/"
done
cd "$work"
# No output of an earlier run may pass for one of this run.
rm -f ./*.log result.txt qry1.mot cross.mot learn.mot learn.sta learn.inf learn.pro \
  prediction.txt report.txt ctr fun_dist.txt

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
  # The programs' words for an entry, motif or thesaurus they could not use ("Can't read
  # sequnce ...", "can't read bank sequence ...", "Can't load sequence ...", "Motif out of
  # sequence ...", "Cant't open mesh file ..."), but not the note that the built-in matrix
  # is used.
  local bad
  bad=$(grep -iE "can't (read|load)|out of sequence|cant't open" "$log" | grep -v "Weight matrix" || true)
  if [[ -n $bad ]]; then
    echo "pipeline: $name could not read every entry; see $work/$log" >&2
    head -n 5 <<<"$bad" >&2
    exit 1
  fi
}

step search search.log search params.txt banks.lst queries.fa result.txt
# The first query's motif file: the banner and its own block, up to the second query.
awk '/^Query:/ { n++ } n < 2' result.txt >qry1.mot
grep -q '^Supermotif' qry1.mot || { echo "pipeline: the first query found nothing" >&2; exit 1; }
step tervex tervex.log tervex params.txt qry1.mot cross.mot
# Full screening names each entry it can't read ("Can't read sequence from address ...",
# caught by the step) and each one it reads in a progress line ("bSeq ...").
wanted=$(awk '/^Supermotif/ { print $4, $5 }' qry1.mot | sort -u | wc -l)
got=$(grep -c ' bSeq ' tervex.log || true)
if ((got != wanted)); then
  echo "pipeline: tervex read $got of the $wanted entries the first query found; see $work/tervex.log" >&2
  exit 1
fi
step search learn.log search params.txt banks.lst learn.dat learn.mot
step orisk orisk.log orisk learn.mot learn.sta -M thesaurus.mesh -KW KW DE
step vantel vantel.log vantel learn.sta qry1.mot prediction.txt -M thesaurus.mesh
step plevit plevit.log plevit result.txt report.txt
