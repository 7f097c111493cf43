# Counted checks for the shell tests: `check "what" command...` runs the command and prints
# "ok: what" or "FAILED: what"; $passed and $failed add up the results.
passed=0
failed=0
check() {
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok: $what"
    else
        failed=$((failed + 1))
        echo "FAILED: $what"
    fi
}
