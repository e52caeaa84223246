#!/usr/bin/env bash
# Fuzzes the tag reader with libFuzzer (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) for a bounded time. Fails when the fuzzer finds
# a crash, a leak, a hang or broken module state, or when the build fails.
# Seeds: the tag files the tests build (when the tests' program is built) and
# the real MP3 files beside the project.
#   VORLINDE_FUZZ_SECONDS  fuzzing time, 60 by default
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${VORLINDE_FUZZ_SECONDS:-60}
out=build-fuzz
jobs=$(nproc)
[ "$jobs" -gt 8 ] && jobs=8

start=$SECONDS
CC=clang CXX=clang++ cmake -S tests/fuzz -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$out" -j"$jobs" --target tags_fuzz >/dev/null
echo "fuzz: built in $((SECONDS - start)) s"

seeds="$out/seeds"
corpus="$out/corpus"
artifacts="$out/artifacts"
rm -rf "$seeds" "$artifacts"
mkdir -p "$seeds" "$corpus" "$artifacts"
for tests in build/tests/tags/tags_tests build-asan/tests/tags/tags_tests build-*/tests/tags/tags_tests; do
  if [ -x "$tests" ]; then
    VORLINDE_FUZZ_SEEDS="$PWD/$seeds" "$tests" --gtest_brief=1 >/dev/null 2>&1 ||
      echo "fuzz: $tests failed while making seeds (the test run reports it)"
    break
  fi
done
dirs=("$corpus" "$seeds")
[ -d ../shared/testdata/real-mp3 ] && dirs+=(../shared/testdata/real-mp3)
echo "fuzz: $(ls "$seeds" | wc -l) seeds from the tests, corpus of $(ls "$corpus" | wc -l)"

# -timeout catches a hang inside one input; the outer timeout a fuzzer that
# does not stop.
status=0
ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  timeout -k 10 $((seconds + 30)) "$out/tags_fuzz" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -dict=tests/fuzz/id3.dict -artifact_prefix="$artifacts/" -print_final_stats=1 \
    "${dirs[@]}" >"$out/fuzz.log" 2>&1 || status=$?
tail -n 25 "$out/fuzz.log"
if [ "$status" -ne 0 ] || [ -n "$(ls -A "$artifacts")" ]; then
  echo "fuzz: FAILED (exit status $status); inputs kept in $artifacts:" >&2
  ls -l "$artifacts" >&2
  exit 1
fi
echo "fuzz: no findings in $seconds s (total $((SECONDS - start)) s)"
