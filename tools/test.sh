#!/usr/bin/env bash
# Builds everything and runs every test: the include check, an optimised build, the same with
# every vector path off (the plain forms), an AddressSanitizer + UndefinedBehaviorSanitizer
# build, the threaded tests under ThreadSanitizer, and a bounded fuzzing run of every reader.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-$(nproc)}

echo "== include circles between components"
python3 tools/test_check_includes.py
python3 tools/check_includes.py

echo "== optimised build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$JOBS"
(cd build && ctest -j "$JOBS" --no-tests=error --output-on-failure)

echo "== optimised build, vector paths off"
cmake -S . -B build-plain -G Ninja -DCMAKE_BUILD_TYPE=Release -DSEQ_VECTOR=OFF >/dev/null
cmake --build build-plain -j "$JOBS"
(cd build-plain && ctest -j "$JOBS" --no-tests=error --output-on-failure)

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSEQ_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$JOBS"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest -j "$JOBS" --no-tests=error --output-on-failure)

echo "== ThreadSanitizer (threaded tests)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread >/dev/null
cmake --build build-tsan -j "$JOBS" --target test_engine
(cd build-tsan && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest -j "$JOBS" --no-tests=error -R '^Thread' --output-on-failure)

echo "== benchmark harness (tiny mode)"
python3 bench/test_bench.py
bench/run.sh --tiny
bench/threads.sh --tiny
bench/tervex.sh --tiny
bench/orisk.sh --queries 10 --runs 1
bench/vantel.sh --tiny

if [ -x tools/fuzz.sh ]; then
  echo "== fuzzing"
  tools/fuzz.sh
fi
