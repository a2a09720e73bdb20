#!/usr/bin/env bash
# Two builds side by side on the menu session of input.sh (258 commits), in
# a cleared folder on /dev/shm, where the disk costs nothing and the
# program's own CPU shows. Each build is a binary, or a commit that is built
# from git (git archive, a release build in build-compare/COMMIT, kept for
# the next run). The two run in turn, ROUNDS rounds (30 by default); for
# each: the CPU (user + system) best and median, and its stripped size; then
# where the tools are there, the instructions of one run in user space
# (valgrind's callgrind) and its system calls (strace). Nothing passes or
# fails.
# Usage: bash bench/compare.sh OLD NEW [ROUNDS]
#   e.g. bash bench/compare.sh 0460333 build-release/quorvane
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/bench/input.sh"
rounds=${3:-30}

binary() {   # a binary's path, or a commit to build; prints the binary
    if [ -f "$1" ]; then realpath "$1"; return; fi
    local commit dir
    commit=$(git -C "$root" rev-parse --short "$1^{commit}")
    dir=$root/build-compare/$commit
    if [ ! -x "$dir/build/quorvane" ]; then
        rm -rf "$dir" && mkdir -p "$dir/src"
        git -C "$root" archive "$commit" | tar -x -C "$dir/src"
        { cmake -S "$dir/src" -B "$dir/build" -DCMAKE_BUILD_TYPE=Release &&
            cmake --build "$dir/build" -j2 --target quorvane; } >"$dir/build.log" 2>&1 ||
            { tail -20 "$dir/build.log" >&2; exit 1; }
    fi
    echo "$dir/build/quorvane"
}
old=$(binary "$1")
new=$(binary "$2")
work=$(mktemp -d /dev/shm/quorvane-compare.XXXXXX) && trap 'rm -rf "$work"' EXIT
session_input > "$work/input"

# The runs in turn; each one's CPU in microseconds from wait4's rusage.
python3 - "$work" "$rounds" "$old" "$new" <<'EOF'
import os, shutil, statistics, subprocess, sys
work, rounds, bins = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
cpu = {b: [] for b in bins}
for _ in range(rounds):
    for b in bins:
        run = os.path.join(work, "run")
        shutil.rmtree(run, ignore_errors=True)
        os.mkdir(run)
        with open(os.path.join(work, "input")) as i, open(os.devnull, "w") as o:
            p = subprocess.Popen([b], stdin=i, stdout=o, cwd=run)
            _, status, use = os.wait4(p.pid, 0)
        if status != 0 or "Data Total : 00 " not in open(os.path.join(run, "velk.dat")).read():
            sys.exit(f"{b}: the session did not end with an empty catalogue")
        cpu[b].append((use.ru_utime + use.ru_stime) * 1e6)
best = {b: min(t) for b, t in cpu.items()}
for name, b in zip(("old", "new"), bins):
    t = cpu[b]
    print(f"{name}: CPU best {best[b] / 1e3:.2f} ms, median {statistics.median(t) / 1e3:.2f} ms"
          f" (user+sys, {rounds} runs)  {b}")
old, new = bins
print(f"new/old: best {best[new] / best[old]:.3f}, median {statistics.median(cpu[new]) / statistics.median(cpu[old]):.3f}")
EOF

for name in old new; do
    bin=${!name}
    strip -o "$work/stripped" "$bin"
    line="$name: $(stat -c %s "$work/stripped") bytes stripped"
    rm -rf "$work/run" && mkdir "$work/run"
    if command -v valgrind >/dev/null; then
        (cd "$work/run" && valgrind --tool=callgrind --callgrind-out-file=/dev/null "$bin" <"$work/input" \
            >/dev/null 2>"$work/cg") || true
        line+=", $(awk '/refs:/ {print $NF}' "$work/cg") instructions in user space"
    fi
    rm -rf "$work/run" && mkdir "$work/run"
    if command -v strace >/dev/null; then
        (cd "$work/run" && strace -c -o "$work/st" "$bin" <"$work/input" >/dev/null)
        line+=", $(awk '/ total$/ {print $4}' "$work/st") system calls"
    fi
    echo "$line"
done
