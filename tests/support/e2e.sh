# Helpers of the end-to-end scripts, which set $build to the build directory.

# wait_window REGEX [--onlyvisible]: a window with that title appears within 20 s.
wait_window() {
    for _ in $(seq 200); do
        if xdotool search ${2:+"$2"} --name "$1" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# book_has TEXT FILE: the saved ZuBook FILE, as tarnu-pack prints it, holds TEXT within 10 s.
book_has() {
    for _ in $(seq 100); do
        if "$build/tarnu-pack" book "$2" 2>/dev/null | grep -aqF -- "$1"; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}
