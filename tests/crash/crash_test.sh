#!/usr/bin/env bash
# Kills the program before and after every call that changes a file, and
# makes each such call fail in turn, in every kind of change, with the files
# plain, as links into another folder, and plain where hard links are refused
# (as on FAT: the backup is then a synced copy). Checks what a user would find: the
# file the change is about (velk.dat, or velk.txt for the export) exactly the
# old one or the new one, its link and its bits kept, backup.bak its old
# content or the old data file, no temporary file left once the program has
# started again, and the change told as done exactly when it was made. A
# SIGTERM instead of the kill must leave no temporary file at all.
# Usage: crash_test.sh BINARY SHIM
set -u
bin=$(realpath "$1") shim=$(realpath "$2")
work=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d) && trap 'rm -rf "$work"' EXIT   # syncs cost nothing there
export HOME=$work GIT_CONFIG_NOSYSTEM=1   # no user's git configuration
three=$'Data Total : 03 \n\n(01)[ Alpha ]*\nA-1 #\n(02)[ Beta ]*\nB-2 #\n(03)[ Gamma ]*\nG-3 #\n'
failures=0 points=0

fail() { echo "FAIL $*"; failures=$((failures + 1)); }

setup() {   # layout, scenario: a fresh directory with the starting files
    rm -rf "$dir/d" && mkdir -p "$dir/d/store" && cd "$dir/d" || exit 2
    # A clone whose remote moved on (Alpha deleted there), its own change not
    # yet sent (a second Alpha): the merge keeps one, and so must the next sync.
    if [ "${2%-*}" = sync ]; then
        rm -rf "$dir/remote.git" && cp -a "$work/template/d/." . && cp -a "$work/template/remote.git" "$dir/"
        chmod 640 velk.dat && printf 'old backup\n' > backup.bak
        if [ "$2" = sync-hook ]; then   # a hook that refuses the merge commit
            printf '#!/bin/sh\nexit 1\n' > .git/hooks/pre-commit && chmod +x .git/hooks/pre-commit
        fi
        return 0
    fi
    case $2 in create*) ;; *) printf '%s' "$three" > store/velk.dat ;; esac
    printf 'old export\n' > store/velk.txt && printf 'old backup\n' > backup.bak && printf 'Data Total : 00 \n\n' > other.dat
    chmod 640 store/velk.dat store/velk.txt 2>/dev/null
    if [ "$1" = linked ]; then ln -s store/velk.dat velk.dat; ln -s store/velk.txt velk.txt; else
        mv store/velk.dat store/velk.txt . 2>/dev/null; fi
}
keep() { if [ -e $subject ]; then cp $subject "$dir/$1"; else rm -f "$dir/$1"; fi; }
same() { if [ -e "$dir/$2" ]; then cmp -s "$1" "$dir/$2"; else [ ! -e "$1" ]; fi; }
leftovers() { ls -A . store | grep -c '^\.quorvane-tmp-'; }

check() {   # layout, what was done; compares with the old, the new and any state between
    same $subject old || same $subject new || { [ -e "$dir/mid" ] && same $subject mid; } \
        || fail "$2: $subject is neither old nor new"
    [ "$(cat backup.bak)" = "old backup" ] || same backup.bak old || { [ -e "$dir/mid" ] && same backup.bak mid; } \
        || [ $subject != velk.dat ] || fail "$2: backup.bak is neither"
    [ "$1" != linked ] || [ -L $subject ] || fail "$2: $subject is no longer a link"
    [ ! -e "$dir/old" ] || [ "$(stat -L -c %a $subject)" = 640 ] || fail "$2: $subject lost its bits"
}

told() {   # what was done, status, output: the change is told as done exactly when it was made
    local said=no && [ "$success" != - ] || return 0   # the start-up's creation tells nothing of its own
    if [ -n "$success" ]; then grep -q -a -- "$success" "$dir/out" && said=yes; else [ "$2" = 0 ] && said=yes; fi
    echo $layout >> "$dir/tried"
    if same $subject new && ! same $subject old; then
        [ $said = yes ] || fail "$1: the change was made but not told as done"
        # A failure once the file is in place (its directory's sync) is told after the success: on
        # the menu's screen below it, on the command line on standard error, which is written ahead
        # of the buffered output here.
        awk -v done="$success" '/^quorvane: / || s && /Can not/ { f = 1 } done != "" && $0 ~ done { s = 1 }
            END { exit !f }' "$dir/out" && echo $layout >> "$dir/late"
    else
        [ $said = no ] || fail "$1: told as done, but the change was not made"
        grep -q -a -e 'Can not' -e '^quorvane: ' "$dir/out" || fail "$1: the change was not made, and nothing said why"
    fi
}

next_sync() {   # whatever a sync was cut short by, the next one (its hook gone) ends with the merged catalogue
    rm -f .git/hooks/pre-commit
    "$bin" sync >/dev/null 2>&1 || fail "$1: the next sync failed"
    same velk.dat new || fail "$1: the next sync did not end with the merged catalogue"
    [ ! -e .git/MERGE_HEAD ] && git diff --quiet HEAD && [ -z "$(git ls-files --unmerged)" ] \
        || fail "$1: the next sync left git halfway"
}

# name, subject, success line (empty: the exit status tells; -: nothing tells), standard input,
# arguments (none: the menu); in a folder of its own. $mid: a state between
# the old and the new one, where a run makes two changes.
scenario() {
    local name=$1 input=$4 layout when sig n status dir=$work/$1
    subject=$2 success=$3
    shift 4
    mkdir -p "$dir" && rm -f "$dir/mid" && [ -z "${mid:-}" ] || printf '%s' "$mid" > "$dir/mid"
    for layout in ${layouts:-plain linked nolink}; do
        nolink=() && [ $layout = nolink ] && nolink=(QV_NO_LINK=1 LD_PRELOAD=$shim)
        setup $layout "$name" && keep old
        env "${nolink[@]}" "$bin" "$@" <<<"$input" >/dev/null 2>&1 && keep new
        ! same $subject old || fail "$name: the change itself did nothing"
        for when in before:KILL after:KILL before:TERM before:FAIL; do
            sig=${when#*:} when=${when%:*}
            for ((n = 1; ; n++)); do
                setup $layout "$name"
                rm -f "$dir/mark"
                status=$( (env "${nolink[@]}" QV_CRASH_AT=$n QV_CRASH_WHEN=$when QV_CRASH_SIGNAL=$sig QV_CRASH_MARK=$dir/mark \
                    LD_PRELOAD=$shim "$bin" "$@" <<<"$input" >"$dir/out" 2>&1; echo $?) 2>/dev/null)
                [ -e "$dir/mark" ] || break
                points=$((points + 1))
                local what="$name/$layout/$sig $when call $n"
                if [ $sig = FAIL ]; then
                    [ $status -le 2 ] || { fail "$what: ended with status $status"; break; }
                    told "$what" $status
                else
                    [ $status -ge 128 ] || { fail "$what: ended with status $status"; break; }
                fi
                check $layout "$what"
                [ $sig = KILL ] || [ "$(leftovers)" = 0 ] || fail "$what: left a temporary file"
                "$bin" <<<q >/dev/null 2>&1
                [ "$(leftovers)" = 0 ] || fail "$what: the next start left a temporary file"
                check $layout "$what, after the next start"
                [ "${name%-*}" != sync ] || next_sync "$what"
            done
        done
    done
    echo "$points kill points, $failures failures"
}

# The scenarios run side by side; each tells its counts at its end.
run() { scenario "$@" > "$work/$1.log" & }
run add velk.dat 'done! ' "$(printf '1\nDelta\nD-4\ny\nq')"
run edit-name velk.dat 'saved successful' "$(printf '2\n01\ny\nAlpha Two\nn\nq')"
run edit-last-serial velk.dat 'saved successful' "$(printf '2\n03\nn\ny\nG-33\nq')"
run delete velk.dat 'Done ! ' "$(printf '3\n02\ny\nq')"
run recover velk.dat 'The backup file loaded successful' "$(printf 'R\ny\nq')"
run load velk.dat 'The data file loaded successful' "$(printf '4\nother.dat\nq')"
run export velk.txt 'to velk.txt successful' "$(printf '5\nq')"
run create velk.dat - q
# A start-up that could not create the data file leaves it to the next add.
mid=$'Data Total : 00 \n\n' run create-then-add velk.dat 'done! ' "$(printf '1\nDelta\nD-4\ny\nq')"
run import velk.dat '' "$(printf 'Delta\tD-4\nEpsilon\tE-5')" import -
if command -v git >/dev/null; then
    mkdir -p "$work/template/d" && (cd "$work/template" && git init -q --bare remote.git && cd d && printf '%s' "$three" > velk.dat \
        && "$bin" git init -q && "$bin" git remote add origin ../remote.git && "$bin" sync && git clone -q ../remote.git ../b \
        && "$bin" -C ../b delete 1 && "$bin" -C ../b add Delta D-4 && "$bin" -C ../b sync && "$bin" add Alpha A-1) >/dev/null
    layouts="plain nolink" run sync velk.dat '^sync: ' '' sync
    layouts=plain run sync-hook velk.dat '^sync: ' '' sync
else
    echo "git is not installed: the sync was NOT tried"; for s in sync sync-hook; do echo "0 kill points, 0 failures" > "$work/$s.log"; done
fi
run command-edit velk.dat '' '' edit 02 --name 'Beta Two' --serial B-22
wait
# In every scenario and layout some failure falls after the change was made, and is told after it.
for tried in "$work"/*/tried; do
    for layout in $(sort -u "$tried"); do
        grep -q -x $layout "${tried%tried}late" 2>/dev/null \
            || fail "$(basename "${tried%/tried}")/$layout: no failure after the change was told after its success"
    done
done
grep -h FAIL "$work"/*.log
awk -v late=$failures '/kill points/ {n++; p += $1; f += $4}
    END {print p + 0 " kill points, " f + late " failures"; exit !(n == 13 && f + late == 0)}' "$work"/*.log
