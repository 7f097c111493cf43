#!/usr/bin/env bash
# Drives the real program on a private X server (run under xvfb-run): a hot folder bound with
# Ctrl+Shift+1 takes a folder link with Ctrl+1, "Synchronize" through its dialogs copies the
# linked files into a target directory laid out as the tree, and a favourite added through
# the Tools menu is in the data pack after the program ends.
# Usage: run_links_e2e.sh BUILD_DIR  (SHOTS=DIR keeps screenshots and the ZuBook there)
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

mkdir -p "$work/prog/Data" "$work/home" "$work/run" "$work/src" "$work/out"
cp "$build/tarnu" "$build/tarnu.portable" "$work/prog/"
cp "$build/Data/ZuData.dta" "$build/Data/ZuIm.qii" "$work/prog/Data/"
# Folders are added without the options dialog, and each change is saved at once.
printf '[General]\nAutoSaveOnChanges=1\n[FFOperations]\nAsk=0\nRecurce=1\nAddFiles=1\nDelExt=1\n' \
    >"$work/Tarnu.ini"
"$build/tarnu-pack" add "$work/prog/Data/ZuData.dta" "$work/Tarnu.ini" >/dev/null
printf 'Target\nZoo\n' >"$work/outline.txt"
"$build/tarnu-pack" outline "$work/outline.txt" "$work/book.dua"
echo alpha >"$work/src/a.txt"
echo beta >"$work/src/b.txt"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config" \
    XDG_DATA_HOME="$work/home/.local/share" QT_QPA_PLATFORM=xcb
chmod 700 "$work/run"

# shellcheck source=../support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
# shellcheck source=../support/e2e.sh
source "$(dirname "$0")/../support/e2e.sh"

keys() {  # keys WINDOW-REGEX KEY...: keys to the window, focused first
    local window
    window=$(xdotool search --onlyvisible --name "$1" | head -1)
    shift
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
    xdotool key --clearmodifiers --delay 150 "$@"
}

"$work/prog/tarnu" -dua "$work/book.dua" &
program=$!
check "the ZuBook opens" wait_window "^Tarnu - $work/book\.dua\$" --onlyvisible
"$work/prog/tarnu" -addf "$work/src"
check "the forwarded folder arrived" book_has "$work/src/b.txt" "$work/book.dua"

# The folder went into the first selected ZuFolder, ":Target". End reaches the empty ":Zoo",
# Home ":Target".
main="^Tarnu - $work/book\\.dua"
# The tree has the keyboard from the start.
window=$(xdotool search --onlyvisible --name "$main" | head -1)
xdotool windowactivate --sync "$window" 2>/dev/null || true
keys "$main" End ctrl+shift+1 Home ctrl+1 ctrl+s
[ -n "${SHOTS:-}" ] && import -window root "$SHOTS/moved.png"
check "Ctrl+Shift+1 bound the ZuFolder" book_has "slot 0: :Zoo" "$work/book.dua"
zoo_holds_target() {
    "$build/tarnu-pack" book "$work/book.dua" | grep -qE '^    :Target +ZuFolder'
}
check "Ctrl+1 moved the selected ZuFolder into the hot folder" zoo_holds_target
[ -n "${SHOTS:-}" ] && "$build/tarnu-pack" book "$work/book.dua" >"$SHOTS/book.txt"

# Tools > Synchronize, by their letters.
keys "$main" alt+t y
check "the Synchronize dialog opens" wait_window '^Synchronize$' --onlyvisible
sleep 0.5
[ -n "${SHOTS:-}" ] && import -window root "$SHOTS/sync-dialog.png"
keys '^Synchronize$' Tab space
sleep 1
[ -n "${SHOTS:-}" ] && import -window root "$SHOTS/browser.png"
check "the folder browser opens" wait_window '^Please specify a directory$' --onlyvisible
sleep 0.5
xdotool type --delay 20 "$work/out"
keys '^Please specify a directory$' Return
sleep 0.5
keys '^Synchronize$' Return
synced() {
    for _ in $(seq 100); do
        if [ -f "$work/out/Zoo/Target/src/b.txt" ]; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}
check "Synchronize copied the files as the tree lays them out" synced
check "the copies hold the files' bytes" cmp "$work/src/a.txt" "$work/out/Zoo/Target/src/a.txt"
check "the originals stay" test -f "$work/src/a.txt"
[ -n "${SHOTS:-}" ] && find "$work/out" >"$SHOTS/out.txt"
check "the progress window closed itself" test -z "$(xdotool search --onlyvisible --name '^Synchronize$' 2>/dev/null)"

# Tools > Add ZuBook to favorite. The favourite reaches the data pack when the program ends.
keys "$main" alt+t a
wait_window '^Tarnu$' --onlyvisible || true  # the file dialog is titled by the system
sleep 0.5
xdotool type --delay 20 "$work/book.dua"
xdotool key Return
sleep 0.5
xdotool key ctrl+a
xdotool type --delay 20 "My book"
xdotool key Return
sleep 0.5
[ -n "${SHOTS:-}" ] && import -window root "$SHOTS/favourite.png"
kill "$program"
rc=0
wait "$program" || rc=$?
check "the program ends with code 0" test "$rc" -eq 0
check "the favourite was written at exit" \
    sh -c "'$build/tarnu-pack' extract '$work/prog/Data/ZuData.dta' FavZuBooks.fzb - |
           tr -d '\r' | grep -qxF 'My book'"
echo "links e2e: $passed passed, $failed failed"
test "$failed" -eq 0
