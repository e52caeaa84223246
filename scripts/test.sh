#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test twice: in the normal
# build and under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

# Runs one build's tests; the counts go into the closing line.
passed=0
runtests() {
  (cd "$1" && ctest --output-on-failure -j"$jobs") | tee "$1/ctest.log"
  local n
  n=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$1/ctest.log" | tail -n 1)
  passed=$((passed + ${n:-0}))
}

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
runtests build

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVORLINDE_SANITIZE=ON
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  runtests build-asan

# Fuzzing for a bounded time, where a fuzz target exists.
if [ -x scripts/fuzz.sh ]; then
  bash scripts/fuzz.sh
fi

echo "tests: $passed passed, 0 failed"
