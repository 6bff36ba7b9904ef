#!/usr/bin/env bash
# The main job: builds the five programs when needed and runs the whole chain on the example
# data into out/demo (tools/pipeline.sh), then names each output and shows a short part of it.
# Ends non-zero when the build or any program fails, or a program reports an unreadable entry.
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in cmake c++ awk; do
  command -v "$tool" >/dev/null || { echo "demo: $tool is needed (see README.md, Requirements)" >&2; exit 1; }
done
echo "== building the five programs in build/ (log: out/build.log)"
mkdir -p out
# Ninja when there is one, for a build directory made here; an existing one keeps its generator.
gen=()
if [[ ! -f build/CMakeCache.txt ]] && command -v ninja >/dev/null; then gen=(-G Ninja); fi
if ! { cmake -S . -B build "${gen[@]}" -DCMAKE_BUILD_TYPE=Release &&
       cmake --build build --target search tervex orisk vantel plevit; } >out/build.log 2>&1; then
  echo "demo: the build failed; the end of out/build.log:" >&2
  tail -n 30 out/build.log >&2
  exit 1
fi

echo "== running the chain in out/demo"
rm -rf out/demo
start=$(date +%s%N)
tools/pipeline.sh build out/demo
took=$((($(date +%s%N) - start) / 1000000))
printf 'the five programs ran in %d.%03d s\n' $((took / 1000)) $((took % 1000))
cd out/demo

title() { printf '\n== %s\n' "$*"; }

title "search: the example queries against the example bank -> out/demo/result.txt"
awk '/^Query:/ { q++ } /^Supermotif/ { n++ }
     END { printf "%d supermotifs of %d queries; the first query'"'"'s strongest:\n", n, q }' result.txt
awk '/^Query:/ { q++ } q == 1 && /^Supermotif/ && ++n <= 6' result.txt

title "tervex: the bank entries the first query found, screened against each other -> out/demo/cross.mot"
awk '/^Supermotif/ && ++n <= 4' cross.mot

title "orisk: statistics learned from out/demo/learn.mot -> out/demo/learn.sta"
awk '/_statistics$/ { n++ } END { printf "%d statistics blocks; the feature table begins:\n", n }' learn.sta
awk '/^ Feature Table/ { on = 1 } on && ++n <= 6' learn.sta
echo "..."
# The block of the keyword that the prediction below rests on.
awk '/_statistics$/ { on = ($0 == " REPEAT KW_statistics") } on' learn.sta

title "vantel: the first query's keywords and features -> out/demo/prediction.txt (side files learn.inf, learn.pro)"
awk '{ print } /^SQ / { exit }' prediction.txt

title "plevit: the example search as alignments -> out/demo/report.txt"
awk '/^Power / { n++ } END { printf "%d alignments; the first:\n", n }' report.txt
# From " Supermotifs" up to the head of the second supermotif.
awk '/^ Supermotifs$/ { on = 1 } on && /^Power / && ++n == 2 { exit } on { if (have) print last; last = $0; have = 1 }' report.txt
echo
echo "Every output, with each program's messages (*.log), is in out/demo/."
