#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#   1. the Qt-free code and its tests under AddressSanitizer and UBSan,
#   2. each libFuzzer target for PILVO_FUZZ_SECONDS (default 60) seconds,
#   3. the full build with every test, GUI tests under Xvfb.
# The run ends with ctest's summary of step 3.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

FUZZ_SECONDS=${PILVO_FUZZ_SECONDS:-60}

echo "== sanitizer build of the Qt-free code"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DPILVO_WITH_GUI=OFF -DPILVO_SANITIZE=ON -DPILVO_BENCH=OFF > /dev/null
cmake --build build-asan
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j"$(nproc)")

if [ "$FUZZ_SECONDS" -gt 0 ]; then
  echo "== fuzzing, ${FUZZ_SECONDS}s per target"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPILVO_WITH_GUI=OFF -DPILVO_FUZZ=ON -DPILVO_BENCH=OFF > /dev/null
  cmake --build build-fuzz
  for fuzzer in build-fuzz/bin/fuzz_*; do
    name=$(basename "$fuzzer")
    seeds=fuzz/corpus/${name#fuzz_}
    work=$(mktemp -d)
    echo "-- $name"
    # New inputs go to a scratch folder; the seeds in the repository stay as they are.
    "$fuzzer" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 "$work" "$seeds" 2>&1 | tail -n 12
    rm -rf "$work"
  done
fi

echo "== full build and tests"
cmake -S . -B build -G Ninja > /dev/null
cmake --build build
cd build
xvfb-run -a -n 150 -s "-screen 0 1280x1024x24" ctest --output-on-failure -j"$(nproc)"
