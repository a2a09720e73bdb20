# The menu session the benchmarks play, sourced by them: 99 adds, 99 shows,
# 30 two-field edits and 99 deletes in one run (258 commits), then quit.
changes=$((99 + 2 * 30 + 99))
session_input() {
    local i
    for ((i = 1; i <= 99; i++)); do printf '1\nSoftware title %d\nSERIAL-%06d-XYZ\ny\n' $i $i; done
    for ((i = 1; i <= 99; i++)); do printf '6\n%02d\n' $i; done
    for ((i = 1; i <= 30; i++)); do printf '2\n%02d\ny\nA new name %d\ny\nNEW-SERIAL-%d\n' $((i * 3)) $i $i; done
    for ((i = 1; i <= 99; i++)); do printf '3\n01\ny\n'; done
    printf 'q\n'
}
