#!/usr/bin/env bash
# Builds the program and its tests twice, plainly and with AddressSanitizer
# and UndefinedBehaviorSanitizer, and runs every test in both builds; then,
# where clang is there, builds the fuzz targets and runs each for a while;
# last, holds the tree to its .clang-format and .clang-tidy.
set -euo pipefail
cd "$(dirname "$0")/.."
for kind in plain sanitize; do
    dir=build-test-$kind
    flag=OFF; [ "$kind" = sanitize ] && flag=ON
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DQUORVANE_TESTS=ON -DQUORVANE_SANITIZE=$flag >/dev/null
    cmake --build "$dir" -j2
    ctest --test-dir "$dir" --output-on-failure -j2
done
if command -v clang++ >/dev/null; then
    CXX=clang++ cmake -S . -B build-test-fuzz -DCMAKE_BUILD_TYPE=Debug -DQUORVANE_FUZZ=ON >/dev/null
    cmake --build build-test-fuzz -j2
    ctest --test-dir build-test-fuzz --output-on-failure -j2
else
    echo "clang++ is not installed: the fuzz targets in tests/fuzz were NOT built or run"
fi
bash tools/lint.sh
