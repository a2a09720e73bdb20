#!/usr/bin/env bash
# Builds the program and its tests twice, plainly and with AddressSanitizer
# and UndefinedBehaviorSanitizer, and runs every test in both builds.
set -euo pipefail
cd "$(dirname "$0")/.."
for kind in plain sanitize; do
    dir=build-test-$kind
    flag=OFF; [ "$kind" = sanitize ] && flag=ON
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DQUORVANE_TESTS=ON -DQUORVANE_SANITIZE=$flag >/dev/null
    cmake --build "$dir" -j2
    ctest --test-dir "$dir" --output-on-failure -j2
done
