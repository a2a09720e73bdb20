#!/usr/bin/env bash
# Measures what the operations cost: system calls, wall time and peak memory.
# The net system calls of an operation are its count less the baseline's.
# Usage: bash bench/bench.sh        (needs strace and GNU time)
# Wall time is the best of five runs in a scratch directory (the disk here is
# noisy); nothing here is a pass/fail test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$root" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DQUORVANE_TESTS=OFF >/dev/null
cmake --build "$root/build-bench" -j2 >/dev/null
bin=$root/build-bench/quorvane
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

records() {   # a sound data file of $1 records
    printf 'Data Total : %02d \n\n' "$1"
    for ((i = 1; i <= $1; i++)); do printf '(%02d)[ Software title %d ]*\nSERIAL-%06d-XYZ #\n' "$i" "$i" "$i"; done
}
bigfile() {   # $1 MiB of record-like lines
    yes '(01)[ Software title 1 ]*
SERIAL-000001-XYZ #' | head -c "$(( $1 * 1024 * 1024 ))" || true
}
syscalls() {  # system calls of one run with the given input, start-up and quit included
    strace -f -c -o trace.txt "$bin" <<<"$1" >/dev/null
    awk '/ total$/ {print $4}' trace.txt
}
measure() {   # name, starting data file (none: keep the one there), input
    local name=$1 start=$2 input=$3 prep=""
    [ -n "$start" ] && prep="cp '$start' velk.dat; cp '$start' backup.bak"
    eval "$prep"
    local calls; calls=$(syscalls "$input")
    printf '%s\n' "$input" > input.txt
    best 5 "$prep" "exec '$bin' < input.txt > /dev/null"
    printf '%-34s %8s syscalls %8ss %8s KiB peak\n' "$name" "$calls" "$secs" "$kib"
}
tool() {      # name, command; wall time of a standard tool on the same file
    best 5 "" "$2"
    printf '%-34s %8s          %8ss %8s KiB peak\n' "$1" "" "$secs" "$kib"
}

best() {      # runs, preparation, command: sets secs (the least) and kib (the most)
    secs=999; kib=0
    for ((r = 0; r < $1; r++)); do
        eval "$2"
        sync   # earlier writes must not be flushed during this run
        /usr/bin/time -f '%e %M' -o time.txt bash -c "$3" >/dev/null
        read -r s k < time.txt
        secs=$(awk -v a="$s" -v b="$secs" 'BEGIN {print (a < b) ? a : b}')
        if (( k > kib )); then kib=$k; fi
    done
}

records 98 > r98.dat; records 99 > r99.dat
bigfile 1 > big1.dat; bigfile 64 > big64.dat

echo "== record operations"
measure "start and quit (baseline)" r99.dat $'q'
measure "add to 98 records" r98.dat $'1\nNew title\nNEW-SN\ny\nq'
measure "recovery" r99.dat $'R\ny\nq'
measure "show record 50 of 99" r99.dat $'6\n50\nq'
measure "delete record 01 of 99" r99.dat $'3\n01\ny\nq'
measure "edit name of record 01 of 99" r99.dat $'2\n01\ny\nA new name\nn\nq'
measure "edit serial of record 99 of 99" r99.dat $'2\n99\nn\ny\nNEW-SERIAL\nq'
measure "check of 99 records" r99.dat $'9\nq'

for size in 1 64; do
    f=big$size.dat
    echo "== whole-file operations on $size MiB"
    cp "$f" velk.dat   # none of these changes its bytes
    measure "check" "" $'9\nq'
    tool "  tr -dc '*?' | wc -c" "tr -dc '*?' < $f | wc -c"
    measure "export" "" $'5\nq'
    tool "  cp" "cp velk.dat velk.txt"
    measure "view to /dev/null" "" $'7\nk\nq'
    tool "  cat > /dev/null" "cat $f > /dev/null"
    cp "$f" source.dat
    measure "load" "" $'4\nsource.dat\nq'
    tool "  cp" "cp source.dat velk.dat"
    tool "  cp, then sync the copy" "cp source.dat velk.dat && sync velk.dat"
done
