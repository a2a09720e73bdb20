#!/usr/bin/env bash
# A full session (99 adds, 99 shows, 30 two-field edits, 99 deletes in one
# run of the menu: 258 commits) against its floors (bench/floor.cpp): the
# same number of bare crash-safe replacements with a backup, and those plus
# the 705 scratch-file writes the dialogue must leave, on the working disk
# and on /dev/shm. The three run in turn, 15 rounds; it reports the best
# of each, how far the median lies above it, and the ratios of the bests.
# Nothing here passes or fails.
# Usage: bash bench/session.sh BINARY
set -euo pipefail
bin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
floor=$(mktemp -d)/floor
g++ -O2 -std=c++20 -o "$floor" "$here/floor.cpp"
. "$here/input.sh"
scratch=$((99 + 99 + 30 * 7 + 99 * 3))   # format.dat; seach.log; seach, 2 format, 2 velk3, 2 velk2; seach, velk2, velk3

input=$(mktemp)
session_input > "$input"

# Runs the session, the commit floor and the dialogue floor in turn, 15
# rounds, each in a cleared directory, so that whatever else the machine
# does weighs on all three alike; prints each one's times in microseconds.
rounds() {   # directory
    local dir=$1 start end what
    for _ in $(seq 15); do
        for what in session bare dialogue; do
            rm -rf "$dir" && mkdir "$dir" && cd "$dir" && sync
            start=${EPOCHREALTIME/./}; $what; end=${EPOCHREALTIME/./}
            echo "$what $((end - start))"
        done
    done
}
session() { "$bin" < "$input" > /dev/null; }
bare() { "$floor" . $changes; }
dialogue() { "$floor" . $changes $scratch; }

# The best of each, how far the median lies above it, and the ratios of the bests.
report() {   # name; the times on standard input
    local times best median line=$1:
    declare -A least
    times=$(cat)
    for what in session bare dialogue; do
        mapfile -t sorted < <(awk -v w=$what '$1 == w {print $2}' <<<"$times" | sort -n)
        best=${sorted[0]} median=${sorted[$(( ${#sorted[@]} / 2 ))]}
        least[$what]=$best
        line+=$(awk -v w=$what -v b=$best -v m=$median -v c=$changes -v s=$scratch 'BEGIN {
            label = w == "session" ? " session" : w == "bare" ? "; commit floor (" c " commits)" : "; dialogue floor (and " s " scratch writes)"
            printf "%s %.4fs (median +%d%%)", label, b / 1e6, (m - b) * 100 / b }')
        [ $what = session ] || line+=$(awk -v a=${least[session]} -v b=$best 'BEGIN {printf ", ratio %.2f", a / b}')
    done
    echo "$line"
}

for place in "working disk:$(dirname "$floor")" "/dev/shm:/dev/shm"; do
    name=${place%%:*} dir=$(mktemp -d "${place#*:}/quorvane-bench.XXXXXX")
    rounds "$dir/run" | report "$name"
    (cd "$dir/run" && rm -rf ./* ./.q* && session)
    grep -q '^Data Total : 00 $' "$dir/run/velk.dat" || echo "the session did not end with an empty file"
    rm -rf "$dir"
done
rm -rf "$(dirname "$floor")" "$input"
