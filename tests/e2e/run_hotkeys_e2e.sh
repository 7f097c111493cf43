#!/usr/bin/env bash
# Drives link hot keys in the real program on a private X server (run under xvfb-run): a
# link gets its key through "Set hotkey...", the key opens the link while the window stays
# hidden (NumLock, CapsLock, both or neither on), and the fixed key hides and shows the window. Opening goes to
# a recording stand-in for xdg-open.
# Usage: run_hotkeys_e2e.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

mkdir -p "$work/prog/Data" "$work/home" "$work/run" "$work/bin"
cp "$build/tarnu" "$build/tarnu.portable" "$work/prog/"
cp "$build/Data/ZuData.dta" "$build/Data/ZuIm.qii" "$work/prog/Data/"
printf '[General]\nAutoSaveOnChanges=1\n' >"$work/Tarnu.ini"
"$build/tarnu-pack" add "$work/prog/Data/ZuData.dta" "$work/Tarnu.ini" >/dev/null
printf 'Box | links\n' >"$work/outline.txt"
"$build/tarnu-pack" outline "$work/outline.txt" "$work/book.dua" >/dev/null
echo "the target" >"$work/target.txt"
echo "no program takes it" >"$work/nothing.none"
# Whatever the program opens is written down instead; for a ".none" file no program is found.
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s/opened.txt"\ncase "$1" in *.none) exit 3 ;; esac\n' \
    "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config" \
    XDG_DATA_HOME="$work/home/.local/share" QT_QPA_PLATFORM=xcb PATH="$work/bin:$PATH"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION
chmod 700 "$work/run"

# shellcheck source=../support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
# shellcheck source=../support/e2e.sh
source "$(dirname "$0")/../support/e2e.sh"

no_window() {
    for _ in $(seq 50); do
        if ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}
opened_times() {  # opened_times N: the target was opened N times, within 10 s
    for _ in $(seq 100); do
        if [ "$(grep -c "$work/target.txt" "$work/opened.txt" 2>/dev/null || true)" = "$1" ]; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}
# caps_lock_is OFF|ON: the server's CapsLock state, from the pointer query's modifier mask.
caps_lock_is() {
    /usr/bin/python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
display = x.XOpenDisplay(None)
window, child = ctypes.c_ulong(), ctypes.c_ulong()
at = [ctypes.c_int() for _ in range(4)]
mask = ctypes.c_uint()
x.XQueryPointer(ctypes.c_void_p(display), ctypes.c_ulong(x.XDefaultRootWindow(display)),
                ctypes.byref(window), ctypes.byref(child), *map(ctypes.byref, at),
                ctypes.byref(mask))
lock_mask = 2
sys.exit(0 if bool(mask.value & lock_mask) == (sys.argv[1] == "ON") else 1)
PY
}
wait_for_line() {  # wait_for_line TEXT FILE: FILE holds the line TEXT within 10 s
    for _ in $(seq 100); do
        if grep -qxF -- "$1" "$2" 2>/dev/null; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}
main_window() {
    xdotool search --onlyvisible --name '^Tarnu - ' | head -1
}

"$work/prog/tarnu" -dua "$work/book.dua" &
program=$!
check "the ZuBook is shown" wait_window "^Tarnu - $work/book\.dua\$" --onlyvisible
"$work/prog/tarnu" -add "$work/target.txt"
# A forwarded link is not saved by itself: Ctrl+S.
xdotool windowfocus --sync "$(main_window)"
sleep 0.3
xdotool key ctrl+s
check "the forwarded link arrived in the ZuFolder" book_has "$work/target.txt" "$work/book.dua"

# Click the link (the first row under the ZuFolder) and open "Links" > "Set hotkey...".
xdotool mousemove --window "$(main_window)" 250 160 click 1
sleep 0.3
xdotool key --clearmodifiers alt+l
sleep 0.3
xdotool key Down Down Return
check "Set hotkey... opens the dialog" wait_window '^Set hot key$' --onlyvisible
xdotool key ctrl+alt+k
sleep 0.2
xdotool key Tab space
check "Set closes the dialog" no_window '^Set hot key$'
check "the link shows its key, saved with the ZuBook" book_has "Ctrl+Alt+K" "$work/book.dua"

xdotool key ctrl+grave
check "the fixed key hides the program" no_window '^Tarnu - '
xdotool key ctrl+alt+k
check "the link's key opens its target" opened_times 1
check "the window stays hidden" no_window '^Tarnu - '
xdotool key Num_Lock
xdotool key ctrl+alt+k
check "the key works with NumLock on" opened_times 2
xdotool key Num_Lock
xdotool key Caps_Lock
check "CapsLock is on" caps_lock_is ON
xdotool key ctrl+alt+k
check "the key works with CapsLock on" opened_times 3
xdotool key Num_Lock
xdotool key ctrl+alt+k
check "the key works with CapsLock and NumLock on" opened_times 4
xdotool key Num_Lock Caps_Lock
check "CapsLock is off again" caps_lock_is OFF
xdotool key ctrl+grave
check "the fixed key shows the program again" wait_window '^Tarnu - ' --onlyvisible
check "the program runs on" kill -0 "$program"

# Enter on a link of a type no program opens: xdg-open fails after it started, and the
# program says so in a box titled "Tarnu". The new link sorts first in the ZuFolder.
"$work/prog/tarnu" -add "$work/nothing.none"
xdotool windowfocus --sync "$(main_window)"
sleep 0.3
xdotool key ctrl+s
check "the second link arrived" book_has "$work/nothing.none" "$work/book.dua"
xdotool mousemove --window "$(main_window)" 250 160 click 1
sleep 0.3
xdotool key Return
check "xdg-open was asked" wait_for_line "$work/nothing.none" "$work/opened.txt"
check "a box tells that no program opens it" wait_window '^Tarnu$' --onlyvisible
xdotool key Return
check "the box closes" no_window '^Tarnu$'

kill "$program"
wait "$program" 2>/dev/null || true
echo "hotkeys e2e: $passed passed, $failed failed"
test "$failed" -eq 0
