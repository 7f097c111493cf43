#!/usr/bin/env bash
# Drives the real program on a private X server (run under xvfb-run): first start, the
# window title, forwarding from a second copy (relative paths, names that are not UTF-8, a
# second copy killed while the running copy shows a dialog), close-hides, leaving on
# SIGTERM, hidden start, the question before unsaved changes go, and a rename that re-sorts
# expanded folders.
# Usage: run_tarnu_e2e.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

# A program directory of its own: the executable and its data packs.
mkdir -p "$work/prog/Data" "$work/home" "$work/run"
cp "$build/tarnu" "$build/tarnu.portable" "$work/prog/"
cp "$build/Data/ZuData.dta" "$build/Data/ZuIm.qii" "$work/prog/Data/"
# Auto-save on, so that what arrives can be read back from the ZuBook file.
printf '[General]\nAutoSaveOnChanges=1\n' >"$work/Tarnu.ini"
"$build/tarnu-pack" add "$work/prog/Data/ZuData.dta" "$work/Tarnu.ini" >/dev/null
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config" \
    XDG_DATA_HOME="$work/home/.local/share" QT_QPA_PLATFORM=xcb
chmod 700 "$work/run"

# shellcheck source=../support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
# shellcheck source=../support/e2e.sh
source "$(dirname "$0")/../support/e2e.sh"

# Polls for a window whose title matches, visible or not, for up to 20 s.
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

# Relative paths mean the second copy's working directory; a name keeps its bytes.
mkdir -p "$work/fwd/sub" "$work/cwd/rel"
echo a >"$work/fwd/a.txt"
echo b >"$work/fwd/sub/b.txt"
odd=$'n\xffme.txt'  # not UTF-8
echo c >"$work/cwd/rel/$odd"
rc=0
(cd "$work/cwd" && "$work/prog/tarnu" -add "rel/$odd") || rc=$?
check "a second copy with a relative -add ends with code 0" test "$rc" -eq 0

# A forwarded folder opens the add-options dialog in the running copy. The second copy is
# answered before that and ends at once; killed (if it still runs) while the dialog is open,
# it must not harm the running copy.
"$work/prog/tarnu" -addf "$work/fwd" &
second=$!
check "a forwarded -addf opens the add-options dialog" wait_window '^Add options$' --onlyvisible
ends_soon() {
    for _ in $(seq 10); do
        kill -0 "$second" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}
check "the second copy ends while the dialog is still open" ends_soon
kill -9 "$second" 2>/dev/null || true
wait "$second" 2>/dev/null || true
# Return on the dialog is Start; pressed again while a loaded machine has not yet taken it.
start_closes_dialog() {
    for _ in $(seq 20); do
        dialog=$(xdotool search --onlyvisible --name '^Add options$' | head -1)
        [[ -z "$dialog" ]] && return 0
        xdotool windowfocus --sync "$dialog" key Return 2>/dev/null || true
        sleep 0.3
    done
    no_window '^Add options$'
}
check "Start closes the dialog" start_closes_dialog
check "the forwarded folder arrived" book_has "$work/fwd/sub/b.txt" "$work/other.dua"
check "a relative -add stored the absolute path, bytes kept" book_has "$work/cwd/rel/$odd" "$work/other.dua"
sleep 0.5  # the handler has returned by now; a crash in its aftermath has happened
check "the running copy survived the killed second copy" kill -0 "$first"

xdotool search --onlyvisible --name '^Tarnu - ' windowclose 2>/dev/null || \
    xdotool search --onlyvisible --name '^Tarnu - ' key --clearmodifiers alt+F4
sleep 0.5
check "the close button hides the program" no_window '^Tarnu - '
check "the program goes on after closing its window" kill -0 "$first"

# SIGTERM (as at logout) leaves by the normal exit: nothing left for a next start to clean.
kill "$first"
rc=0
wait "$first" || rc=$?
check "SIGTERM ends the running copy with code 0" test "$rc" -eq 0
check "SIGTERM removed the endpoint file, socket and lock" \
    test -z "$(find "$work/run" -name 'ZuH.ini' -o -name '*.sock' -o -name '*.lock')"

# The first start resolves a relative path too, so that a later save writes the same file.
(cd "$work" && exec "$work/prog/tarnu" -dua other.dua) &
relative=$!
check "a first start with a relative -dua loads it by its full path" \
    wait_window "^Tarnu - $work/other\.dua\$" --onlyvisible
kill "$relative"
wait "$relative" 2>/dev/null || true

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

# Without auto-save, a forwarded -dua asks before the unsaved changes go: Save writes them,
# Cancel keeps the ZuBook open with its changes.
mkdir -p "$work/plain/Data"
cp "$build/tarnu" "$build/tarnu.portable" "$work/plain/"
cp "$build/Data/ZuData.dta" "$build/Data/ZuIm.qii" "$work/plain/Data/"
echo d >"$work/unsaved.txt"
"$work/plain/tarnu" &
plain=$!
wait_window '^Tarnu - Default\.dua$' --onlyvisible || true
"$work/plain/tarnu" -add "$work/unsaved.txt"
check "an unsaved change marks the title" wait_window '^Tarnu - Default\.dua \*$' --onlyvisible
"$work/plain/tarnu" -dua "$work/other.dua"
check "loading another ZuBook asks about the unsaved changes" wait_window '^Tarnu$' --onlyvisible
answer() {  # answer KEY: to the question box
    xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^Tarnu$' | head -1)" \
        key --clearmodifiers "$1" 2>/dev/null || true
}
answer Return
check "then the other ZuBook is shown" wait_window "^Tarnu - $work/other\.dua\$" --onlyvisible
check "Save wrote the change before the other ZuBook came" \
    book_has "$work/unsaved.txt" "$work/plain/Default.dua"
"$work/plain/tarnu" -add "$work/unsaved.txt"
wait_window "^Tarnu - $work/other\.dua \*\$" --onlyvisible || true
"$work/plain/tarnu" -dua "$work/plain/Default.dua"
wait_window '^Tarnu$' --onlyvisible || true
answer Escape
check "Cancel keeps the ZuBook and its changes" \
    wait_window "^Tarnu - $work/other\.dua \*\$" --onlyvisible
kill "$plain"
wait "$plain" 2>/dev/null || true

# A rename that moves an expanded folder past its expanded neighbours must show the same
# rows as a fresh start on the tree it made: the screens are compared pixel for pixel.
outline_a=$'Alpha\n  a1\n  a2\nBeta\n  b1\nGamma\n  g1\n'
outline_b=$'Beta\n  b1\nGamma\n  g1\nZeta\n  a1\n  a2\n'
screen_after() {  # screen_after OUTLINE PNG KEYS...: a fresh copy shows the outline, gets the keys
    local outline=$1 png=$2 prog
    shift 2
    prog=$(mktemp -d "$work/prog.XXXX")
    mkdir -p "$prog/Data" "$work/rs"
    cp "$build/tarnu" "$build/tarnu.portable" "$prog/"
    cp "$build/Data/ZuData.dta" "$build/Data/ZuIm.qii" "$prog/Data/"
    printf '%s' "$outline" >"$work/rs/outline.txt"
    rm -f "$work/rs/book.dua"
    "$build/tarnu-pack" outline "$work/rs/outline.txt" "$work/rs/book.dua" >/dev/null
    "$prog/tarnu" -dua "$work/rs/book.dua" &
    local pid=$!
    wait_window "^Tarnu - $work/rs/book\.dua\$" --onlyvisible || true
    sleep 2  # the splash has gone
    xdotool mousemove 0 0
    local win
    win=$(xdotool search --onlyvisible --name "^Tarnu - $work/rs/book" | head -1)
    for k in "$@"; do
        if [[ "$k" == type:* ]]; then
            xdotool windowfocus --sync "$win" type --delay 50 "${k#type:}"
        else
            xdotool windowfocus --sync "$win" key --clearmodifiers "$k"
        fi
        sleep 0.3
    done
    # Shots are taken until two in a row agree: a loaded machine may still be painting.
    local next="${png%.png}.next.png"
    import -window root "$png"
    for _ in $(seq 10); do
        sleep 0.5
        import -window root "$next"
        if [[ "$(compare -metric AE "$png" "$next" null: 2>&1 || true)" == 0 ]]; then
            break
        fi
        mv "$next" "$png"
    done
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}
screen_after "$outline_a" "$work/renamed.png" Right Down Down Down Right Down Down Right Home F2 \
    ctrl+a type:Zeta Return
screen_after "$outline_b" "$work/fresh.png" Right Down Down Right Down Down Right
same_screens() {
    local differing
    differing=$(compare -metric AE "$work/renamed.png" "$work/fresh.png" null: 2>&1 || true)
    echo "pixels differing: $differing"
    test "$differing" = 0
}
check "a rename that re-sorts expanded folders shows the tree a fresh start shows" same_screens

echo "e2e: $passed passed, $failed failed"
test "$failed" -eq 0
