#!/usr/bin/env bash
# Drives the real program on a private X server (run under xvfb-run): first start, the
# window title, forwarding from a second copy, hidden start, close-hides.
# Usage: run_tarnu_e2e.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

# A program directory of its own: the executable and its data packs.
mkdir -p "$work/prog/Data" "$work/home" "$work/run"
cp "$build/tarnu" "$build/tarnu.portable" "$work/prog/"
cp "$build/Data/ZuData.dta" "$build/Data/ZuIm.qii" "$work/prog/Data/"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config" \
    XDG_DATA_HOME="$work/home/.local/share" QT_QPA_PLATFORM=xcb
chmod 700 "$work/run"

passed=0
failed=0
check() {  # check "what" command...
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

# Polls for a window whose title matches, visible or not, for up to 20 s.
wait_window() {  # wait_window REGEX [--onlyvisible]
    for _ in $(seq 200); do
        if xdotool search ${2:+"$2"} --name "$1" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}
wait_file() {  # the running copy's endpoint file appears under the runtime directory
    for _ in $(seq 200); do
        if find "$1" -name ZuH.ini | grep -q .; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}
no_window() {  # no visible window with that title
    ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1
}

"$work/prog/tarnu" &
first=$!
check "first start shows the default ZuBook" wait_window '^Tarnu - Default\.dua$' --onlyvisible
check "first start wrote Default.dua" test -f "$work/prog/Default.dua"

cp "$work/prog/Default.dua" "$work/other.dua"
rc=0
"$work/prog/tarnu" -dua "$work/other.dua" || rc=$?
check "a second copy with -dua ends with code 0" test "$rc" -eq 0
check "the running copy loaded the forwarded ZuBook" wait_window "^Tarnu - $work/other\.dua\$"

for args in "" "-dua" "-dua $work/prog/Default.dua extra"; do
    rc=0
    # shellcheck disable=SC2086
    "$work/prog/tarnu" $args || rc=$?
    check "a second copy with '$args' ends quietly" test "$rc" -eq 0
done
check "other argument counts changed nothing" wait_window "^Tarnu - $work/other\.dua\$"
check "only one copy runs" test "$(pgrep -c -f "$work/prog/tarnu")" -eq 1

xdotool search --onlyvisible --name '^Tarnu - ' windowclose 2>/dev/null || \
    xdotool search --onlyvisible --name '^Tarnu - ' key --clearmodifiers alt+F4
sleep 0.5
check "the close button hides the program" no_window '^Tarnu - '
check "the program goes on after closing its window" kill -0 "$first"

kill "$first"
wait "$first" 2>/dev/null || true
# A killed copy leaves its endpoint file; take it away so that readiness below is the new one's.
find "$work/run" -name ZuH.ini -delete

"$work/prog/tarnu" -boot &
boot=$!
check "-boot starts a running copy" wait_file "$work/run"
check "-boot starts hidden" no_window '^Tarnu'
# The running copy answers its hot key once its window steps are done: press until it shows.
press_until_shown() {
    for _ in $(seq 20); do
        xdotool key ctrl+grave
        for _ in $(seq 10); do
            if xdotool search --onlyvisible --name '^Tarnu - Default\.dua$' >/dev/null 2>&1; then
                return 0
            fi
            sleep 0.1
        done
    done
    return 1
}
check "the global hot key shows the hidden program" press_until_shown
kill "$boot"
wait "$boot" 2>/dev/null || true

echo "e2e: $passed passed, $failed failed"
test "$failed" -eq 0
