#!/usr/bin/env bash
# The native build and its tests, without Wine: build/native (the host's g++: the runtime,
# the engine, build/native/wht and their tests) and its suite, then the same tests built with
# clang under AddressSanitizer and UndefinedBehaviorSanitizer, and a short fixed run of every
# fuzz target (scripts/fuzz.sh SECONDS runs them longer). scripts/test.sh runs this after the
# Windows suites, whose corpus the native one is compared with.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
jobs=$(nproc)
[ "$jobs" -gt 2 ] || jobs=2

echo "test-native: build/native"
cmake -S "$here/native" -B "$here/build/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build/native" -j"$jobs" >/dev/null
(cd "$here/build/native" && ctest -j2 --output-on-failure)

echo "test-native: the tests under AddressSanitizer and UndefinedBehaviorSanitizer"
fuzz="${WHT_FUZZ_BUILD:-$here/build/native-fuzz}"
CC=clang-14 CXX=clang++-14 cmake -S "$here/native" -B "$fuzz" -DWHT_FUZZ=ON >/dev/null
cmake --build "$fuzz" -j"$jobs" >/dev/null
(cd "$fuzz" && ctest -R '^engine$' --output-on-failure)

echo "test-native: every fuzz target on a fixed number of inputs"
WHT_FUZZ_BUILD="$fuzz" bash "$here/scripts/fuzz.sh" --runs 2000
echo "test-native: passed"
