#!/usr/bin/env bash
# Holds the tree to its layers, its .clang-format and its .clang-tidy, and the
# manual to 80 columns and mandoc's lint, where the tools are installed; says
# plainly what it could not run. The compile commands come from the builds
# run_all.sh made.
set -uo pipefail
cd "$(dirname "$0")/.."
status=0

# Includes run one way, down: main.cpp over the two front ends (src/menu,
# src/cli), which never include each other, over src/history, over
# src/catalog, over src/file.
upward=$(grep -H '#include "' src/*.cpp src/*/*.cpp src/*/*.h | awk -F'"' '
    function rank(path) { return path ~ /^src\/file\// ? 0 : path ~ /^src\/catalog\// ? 1 : path ~ /^src\/history\// ? 2 : path ~ /^src\/(menu|cli)\// ? 3 : 4 }
    {
        split($1, at, ":"); from = at[1]; to = "src/" $2
        split(from, f, "/"); split(to, t, "/")
        if (rank(to) > rank(from) || (rank(to) == 3 && rank(from) == 3 && f[2] != t[2])) print "  " from " includes " $2
    }')
if [ -n "$upward" ]; then
    echo "includes that go up a layer or across to the other front end:"
    echo "$upward"
    status=1
else
    echo "layers: every include goes down"
fi
sources=(src/*.cpp src/*/*.cpp src/*/*.h tests/*/*.cpp tests/*/*.h)
if command -v clang-format >/dev/null; then
    clang-format --dry-run --Werror "${sources[@]}" || status=1
    [ $status = 0 ] && echo "clang-format: the tree is formatted"
else
    echo "clang-format is not installed: the formatting was NOT checked"
fi
if command -v clang-tidy >/dev/null; then
    tidy() {   # build folder, files
        local dir=$1
        shift
        printf '%s\n' "$@" | xargs -P2 -n4 clang-tidy -p "$dir" --quiet 2>/dev/null
    }
    { tidy build-test-plain src/*.cpp src/*/*.cpp tests/crash/*.cpp tests/unit/*.cpp
      [ -d build-test-fuzz ] && tidy build-test-fuzz tests/fuzz/*.cpp; } > build-test-plain/tidy.log
    if grep -q -E '(warning|error):' build-test-plain/tidy.log; then
        cat build-test-plain/tidy.log
        status=1
    else
        echo "clang-tidy: no findings"
    fi
else
    echo "clang-tidy is not installed: the checks of .clang-tidy were NOT run"
fi
# The manual's source in lines a terminal shows whole, and mandoc's lint.
long=$(awk 'length > 80 { print "  man/quorvane.1:" FNR ": " length " bytes" }' man/quorvane.1)
if [ -n "$long" ]; then
    echo "manual lines over 80 bytes:"
    echo "$long"
    status=1
elif command -v mandoc >/dev/null && ! mandoc -Tlint -Wwarning man/quorvane.1; then
    status=1
else
    echo "manual: lines within 80 bytes$(command -v mandoc >/dev/null && echo ', mandoc -Tlint clean')"
fi
exit $status
