#!/usr/bin/env bash
# What history and sync cost. The full session of session.sh (258 commits)
# runs in a plain folder and in one whose history is on, in turn, 5
# rounds, on the working disk: the best of each, and what each recorded
# change adds. Then a sync of two 99-record catalogues that grew apart, with
# a bare remote on the same disk: the best of 5. Nothing passes or fails.
# Usage: bash bench/history.sh BINARY        (needs git)
set -euo pipefail
bin=$(realpath "$1")
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
export HOME=$work GIT_CONFIG_NOSYSTEM=1   # nobody's own configuration
. "$(dirname "$0")/input.sh"
session_input > "$work/input"

micros() { local start=${EPOCHREALTIME/./}; "$@" >/dev/null; echo $((${EPOCHREALTIME/./} - start)); }
best() { sort -n | head -1; }

plain=() recorded=()
for _ in 1 2 3 4 5; do
    rm -rf "$work/p" "$work/h" && mkdir "$work/p" "$work/h"
    (cd "$work/h" && "$bin" git init -q)
    plain+=("$(cd "$work/p" && micros "$bin" <"$work/input")")
    recorded+=("$(cd "$work/h" && micros "$bin" <"$work/input")")
done
p=$(printf '%s\n' "${plain[@]}" | best) h=$(printf '%s\n' "${recorded[@]}" | best)
commits=$(cd "$work/h" && git rev-list --count HEAD)
awk -v p="$p" -v h="$h" -v c=$changes -v n="$commits" 'BEGIN {
    printf "session: %.3fs plain, %.3fs with history on (%d commits); %.2f ms a recorded change\n",
        p / 1e6, h / 1e6, n, (h - p) / 1e3 / c }'

# Two machines with 99 records each, grown apart by nine edits on each side.
records() { for i in $(seq "$1" "$2"); do printf 'Title %d\tSN-%d\n' "$i" "$i"; done; }
times=()
for _ in 1 2 3 4 5; do
    rm -rf "$work/s" && mkdir -p "$work/s/one" && cd "$work/s"
    git init -q --bare remote.git
    (cd one && "$bin" git init -q && records 1 99 | "$bin" import - >/dev/null && "$bin" git remote add origin ../remote.git && "$bin" sync >/dev/null)
    git clone -q remote.git two
    for i in $(seq 1 9); do "$bin" -C one edit $i --name "One's $i"; "$bin" -C two edit $((i + 9)) --name "Two's $i"; done
    "$bin" -C one sync >/dev/null
    times+=("$(micros "$bin" -C two sync)")
    [ "$("$bin" -C two list | wc -l)" = 99 ] || echo "the sync did not give 99 records"
done
echo "sync of two 99-record catalogues: $(printf '%s\n' "${times[@]}" | best | awk '{printf "%.3fs", $1 / 1e6}') (best of 5)"
