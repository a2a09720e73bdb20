#!/usr/bin/env bash
# What history and sync cost. The full session of session.sh (258 commits)
# runs in a plain folder, in one whose history is on and in one whose
# history is encrypted, in turn, 5 rounds, on the working disk: the best of
# each, and what each recorded change adds; where strace is there, the
# processes one recorded add runs in each. Then a sync of two 99-record
# catalogues that grew apart, with a bare remote on the same disk, plain and
# encrypted: the best of 5 each. Nothing passes or fails.
# Usage: bash bench/history.sh BINARY        (needs git)
set -euo pipefail
bin=$(realpath "$1")
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
export HOME=$work GIT_CONFIG_NOSYSTEM=1   # nobody's own configuration
. "$(dirname "$0")/input.sh"
session_input > "$work/input"

micros() { local start=${EPOCHREALTIME/./}; "$@" >/dev/null; echo $((${EPOCHREALTIME/./} - start)); }
best() { sort -n | head -1; }

plain=() recorded=() encrypted=()
for _ in 1 2 3 4 5; do
    rm -rf "$work/p" "$work/h" "$work/e" && mkdir "$work/p" "$work/h" "$work/e"
    (cd "$work/h" && "$bin" git init -q)
    (cd "$work/e" && "$bin" git init --encrypt -q)
    plain+=("$(cd "$work/p" && micros "$bin" <"$work/input")")
    recorded+=("$(cd "$work/h" && micros "$bin" <"$work/input")")
    encrypted+=("$(cd "$work/e" && micros "$bin" <"$work/input")")
done
p=$(printf '%s\n' "${plain[@]}" | best) h=$(printf '%s\n' "${recorded[@]}" | best)
e=$(printf '%s\n' "${encrypted[@]}" | best)
commits=$(cd "$work/h" && git rev-list --count HEAD)
awk -v p="$p" -v h="$h" -v e="$e" -v c=$changes -v n="$commits" 'BEGIN {
    printf "session: %.3fs plain, %.3fs with history on (%d commits), %.3fs encrypted; a recorded change %.2f ms,\n",
        p / 1e6, h / 1e6, n, e / 1e6, (h - p) / 1e3 / c
    printf "  encrypted %.2f ms: %.2f ms over a recorded one\n", (e - p) / 1e3 / c, (e - h) / 1e3 / c }'
# The processes one recorded add runs, the program itself counted: those
# whose program was started (an execve that did not fail).
if command -v strace >/dev/null; then
    processes() { (cd "$work/$1" && strace -f -qq -e trace=execve -o "$work/trace" "$bin" add Title SN-1 >/dev/null)
                  awk '/ = 0$/ { print $1 }' "$work/trace" | sort -u | wc -l; }
    echo "processes of a recorded add: $(processes h) with history on, $(processes e) encrypted"
else
    echo "strace is not installed: the processes of a recorded change were NOT counted"
fi

# Two machines with 99 records each, grown apart by nine edits on each side;
# the second cloned with the key where the history is encrypted.
records() { for i in $(seq "$1" "$2"); do printf 'Title %d\tSN-%d\n' "$i" "$i"; done; }
for kind in plain encrypted; do
    times=() flag=()
    [ $kind = encrypted ] && flag=(--encrypt)
    for _ in 1 2 3 4 5; do
        rm -rf "$work/s" && mkdir -p "$work/s/one" && cd "$work/s"
        git init -q --bare remote.git
        (cd one && "$bin" git init -q "${flag[@]}" && records 1 99 | "$bin" import - >/dev/null && "$bin" git remote add origin ../remote.git && "$bin" sync >/dev/null)
        if [ $kind = encrypted ]; then
            "$bin" -C one key >key && "$bin" clone --key=key remote.git two >/dev/null 2>&1
        else
            git clone -q remote.git two
        fi
        for i in $(seq 1 9); do "$bin" -C one edit $i --name "One's $i"; "$bin" -C two edit $((i + 9)) --name "Two's $i"; done
        "$bin" -C one sync >/dev/null
        times+=("$(micros "$bin" -C two sync)")
        [ "$("$bin" -C two list | wc -l)" = 99 ] || echo "the sync did not give 99 records"
    done
    echo "sync of two 99-record catalogues, $kind: $(printf '%s\n' "${times[@]}" | best | awk '{printf "%.3fs", $1 / 1e6}') (best of 5)"
done
