#!/usr/bin/env bash
# The main job: builds when needed, searches the example queries against the example bank,
# then prints the supermotifs found as alignments.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target search plevit >/dev/null
cd example
../build/search params.txt banks.lst queries.fa result.txt
../build/plevit result.txt report.txt
echo
echo "Motif file: example/result.txt"
echo "Report:     example/report.txt"
head -n 40 report.txt
