#!/usr/bin/env bash
# The main job: builds the five programs when needed and runs the whole chain on the example
# data into out/demo (tools/pipeline.sh), then names each output and shows a short part of it.
# Ends non-zero when the build or any program fails, or a program reports an unreadable entry.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target search tervex orisk vantel plevit >/dev/null
rm -rf out/demo
tools/pipeline.sh build out/demo
cd out/demo

title() { printf '\n== %s\n' "$*"; }

title "search: the example queries against the example bank -> out/demo/result.txt"
grep -c '^Supermotif' result.txt | sed 's/$/ supermotifs; the first query'"'"'s:/'
awk '/^Query:/ { n++ } n == 1 && /^Supermotif/' result.txt | head -n 6

title "tervex: the bank entries the first query found, screened against each other -> out/demo/cross.mot"
grep '^Supermotif' cross.mot | head -n 4

title "orisk: statistics learned from out/demo/learn.mot -> out/demo/learn.sta"
sed -n '/^ Feature Table/,/^$/p' learn.sta | head -n 6
echo "..."
# The block of the keyword that the prediction below rests on.
awk '/_statistics$/ { on = ($0 == " REPEAT KW_statistics") } on' learn.sta

title "vantel: the first query's keywords and features -> out/demo/prediction.txt (side files learn.inf, learn.pro)"
sed '/^SQ /q' prediction.txt

title "plevit: the example search as alignments -> out/demo/report.txt (the first one)"
# From " Supermotifs" up to the head of the second supermotif.
awk '/^ Supermotifs$/ { on = 1 } on && /^Power / && ++n == 2 { exit } on { if (have) print last; last = $0; have = 1 }' report.txt
echo
