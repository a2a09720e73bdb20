#!/usr/bin/env bash
# A full session (99 adds, 99 shows, 30 edits, 99 deletes in one run of the
# menu) against its floor: the same number of bare crash-safe replacements
# with a backup (bench/floor.cpp), on the working disk and on /dev/shm.
# Reports the best of nine runs of each; nothing here passes or fails.
# Usage: bash bench/session.sh BINARY
set -euo pipefail
bin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
floor=$(mktemp -d)/floor
g++ -O2 -std=c++20 -o "$floor" "$here/floor.cpp"
changes=$((99 + 30 + 99))

input=$(mktemp)
{
    for ((i = 1; i <= 99; i++)); do printf '1\nSoftware title %d\nSERIAL-%06d-XYZ\ny\n' $i $i; done
    for ((i = 1; i <= 99; i++)); do printf '6\n%02d\n' $i; done
    for ((i = 1; i <= 30; i++)); do printf '2\n%02d\ny\nA new name %d\nn\n' $((i * 3)) $i; done
    for ((i = 1; i <= 99; i++)); do printf '3\n01\ny\n'; done
    printf 'q\n'
} > "$input"

best() {   # directory, command...: the least wall time of nine runs in a cleared directory
    local dir=$1 least=999999999999 start end
    shift
    for _ in 1 2 3 4 5 6 7 8 9; do
        rm -rf "$dir" && mkdir "$dir" && cd "$dir"
        start=$(date +%s%N); "$@"; end=$(date +%s%N)
        (( (end - start) < least )) && least=$((end - start))
    done
    awk -v ns=$least 'BEGIN {printf "%.4f", ns / 1e9}'
}
session() { "$bin" < "$input" > /dev/null; }
bare() { "$floor" . $changes; }

for place in "working disk:$(dirname "$floor")" "/dev/shm:/dev/shm"; do
    name=${place%%:*} dir=$(mktemp -d "${place#*:}/quorvane-bench.XXXXXX")
    s=$(best "$dir/run" session) f=$(best "$dir/run" bare)
    (cd "$dir/run" && rm -rf ./* ./.q* && session)
    grep -q '^Data Total : 00 $' "$dir/run/velk.dat" || echo "the session did not end with an empty file"
    printf '%-13s session %8ss   floor (%d replacements) %8ss   ratio %s\n' "$name" "$s" $changes "$f" \
        "$(awk -v a="$s" -v b="$f" 'BEGIN {printf "%.2f", a / b}')"
    rm -rf "$dir"
done
rm -rf "$(dirname "$floor")" "$input"
