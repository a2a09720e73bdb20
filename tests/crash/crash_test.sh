#!/usr/bin/env bash
# Kills the program before and after every call that changes a file, in
# every kind of change, with velk.dat a plain file and a link into another
# folder, and checks what a user would find: velk.dat exactly the old file or
# the new one (its link and its bits kept), backup.bak its old content or
# the old data file, and no temporary file left once the program has started
# again. A SIGTERM instead of the kill must leave no temporary file at all.
# Usage: crash_test.sh BINARY SHIM
set -u
bin=$(realpath "$1") shim=$(realpath "$2")
work=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d) && trap 'rm -rf "$work"' EXIT   # syncs cost nothing there
three=$'Data Total : 03 \n\n(01)[ Alpha ]*\nA-1 #\n(02)[ Beta ]*\nB-2 #\n(03)[ Gamma ]*\nG-3 #\n'
failures=0 points=0

fail() { echo "FAIL $*"; failures=$((failures + 1)); }

setup() {   # layout, scenario: a fresh directory with the starting files
    rm -rf "$dir/d" && mkdir -p "$dir/d/store" && cd "$dir/d" || exit 2
    [ "$2" = create ] || printf '%s' "$three" > store/velk.dat
    chmod 640 store/velk.dat 2>/dev/null
    if [ "$1" = linked ]; then ln -s store/velk.dat velk.dat; else mv store/velk.dat . 2>/dev/null; fi
    printf 'old backup\n' > backup.bak
    printf 'Data Total : 00 \n\n' > other.dat
}
keep() { if [ -e velk.dat ]; then cp velk.dat "$dir/$1"; else rm -f "$dir/$1"; fi; }
same() { if [ -e "$dir/$2" ]; then cmp -s "$1" "$dir/$2"; else [ ! -e "$1" ]; fi; }
leftovers() { ls -A . store | grep -c '^\.quorvane-tmp-'; }

check() {   # layout, what was done; compares with the old and the new state
    same velk.dat old || same velk.dat new || fail "$2: velk.dat is neither old nor new"
    [ "$(cat backup.bak)" = "old backup" ] || same backup.bak old || fail "$2: backup.bak is neither"
    [ "$1" = plain ] || [ -L velk.dat ] || fail "$2: velk.dat is no longer a link"
    [ ! -e "$dir/old" ] || [ "$(stat -L -c %a velk.dat)" = 640 ] || fail "$2: velk.dat lost its bits"
}

scenario() {   # name, standard input, arguments (none: the menu); in a folder of its own
    local name=$1 input=$2 layout when sig n status dir=$work/$1
    shift 2
    for layout in plain linked; do
        setup $layout "$name" && keep old
        "$bin" "$@" <<<"$input" >/dev/null 2>&1 && keep new
        ! same velk.dat old || fail "$name: the change itself did nothing"
        for when in before:KILL after:KILL before:TERM; do
            sig=${when#*:} when=${when%:*}
            for ((n = 1; ; n++)); do
                setup $layout "$name"
                status=$( (QV_CRASH_AT=$n QV_CRASH_WHEN=$when QV_CRASH_SIGNAL=$sig LD_PRELOAD=$shim \
                    "$bin" "$@" <<<"$input" >/dev/null 2>&1; echo $?) 2>/dev/null)
                [ $status = 0 ] && break
                points=$((points + 1))
                local what="$name/$layout/$sig $when call $n"
                [ $status -ge 128 ] || { fail "$what: ended with status $status"; break; }
                check $layout "$what"
                [ $sig = KILL ] || [ "$(leftovers)" = 0 ] || fail "$what: left a temporary file"
                "$bin" <<<q >/dev/null 2>&1
                [ "$(leftovers)" = 0 ] || fail "$what: the next start left a temporary file"
                check $layout "$what, after the next start"
            done
        done
    done
    echo "$points kill points, $failures failures"
}

# The scenarios run side by side; each tells its counts at its end.
for run in "add|1\nDelta\nD-4\ny\nq" "edit-name|2\n01\ny\nAlpha Two\nn\nq" "edit-last-serial|2\n03\nn\ny\nG-33\nq" \
           "delete|3\n02\ny\nq" "recover|R\ny\nq" "load|4\nother.dat\nq" "create|q"; do
    scenario "${run%%|*}" "$(printf "${run#*|}")" > "$work/${run%%|*}.log" &
done
scenario import "$(printf 'Delta\tD-4\nEpsilon\tE-5')" import - > "$work/import.log" &
scenario command-edit '' edit 02 --name 'Beta Two' --serial B-22 > "$work/command-edit.log" &
wait
grep -h FAIL "$work"/*.log
awk '/kill points/ {n++; p += $1; f += $4} END {print p + 0 " kill points, " f + 0 " failures"; exit !(n == 9 && f == 0)}' "$work"/*.log
