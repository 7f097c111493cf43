#!/usr/bin/env bash
# Smoke test of the installed package. Run as root after `apt-get install ./tarnu_*.deb`:
# checks the installed metadata, then a normal user starts Tarnu as the desktop would (the
# Exec line of the installed desktop entry) on a private X server, a second start forwards
# "-add FILE", Ctrl+S saves the ZuBook, and the ZuBook with the new link must be under that
# user's ~/.local/share/tarnu, with nothing written into the installed files.
# Usage: tests/install/smoke.sh [user]   (the user is made when missing)
set -euo pipefail

entry=/usr/share/applications/tarnu.desktop
shipped=/usr/share/tarnu

if [[ "${1:-}" != "--session" ]]; then
    user="${1:-tarnu-smoke}"
    [[ $(id -u) -eq 0 ]] || { echo "smoke: run as root" >&2; exit 2; }
    desktop-file-validate "$entry"
    appstreamcli validate --no-net /usr/share/metainfo/org.tarnu.tarnu.metainfo.xml >/dev/null
    id "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/bash "$user"
    home=$(getent passwd "$user" | cut -d: -f6)
    rm -rf "$home/.local/share/tarnu"  # so that this is a first start
    run=$(mktemp -d)
    # The user runs a copy of this script, with the checks beside it.
    copies=$(mktemp -d /tmp/tarnu-smoke.XXXXXX)
    trap 'rm -rf "$run" "$copies"' EXIT
    copy="$copies/smoke.sh"
    cp "$0" "$copy"
    cp "$(dirname "$0")/../support/checks.sh" "$copies/checks.sh"
    chmod 755 "$copies" "$copy"
    chmod 644 "$copies/checks.sh"
    chown "$user" "$run"
    chmod 700 "$run"
    exec_line=$(sed -n '/^\[Desktop Entry\]/,/^\[/s/^Exec=//p' "$entry")
    runuser -u "$user" -- env -i HOME="$home" USER="$user" PATH=/usr/bin:/bin LANG=C.UTF-8 \
        XDG_RUNTIME_DIR="$run" xvfb-run -a -s "-screen 0 1280x800x24" \
        bash "$copy" --session "$exec_line"
    exit
fi

# The user's session on the private X server.
exec_line=$2
data="$HOME/.local/share/tarnu"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
echo "a note" >"$work/note.txt"

# shellcheck source=../support/checks.sh
source "$(dirname "$0")/checks.sh"
poll() {  # poll command...: up to 20 s
    for _ in $(seq 200); do
        if "$@" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}
window() { xdotool search --onlyvisible --name '^Tarnu - Default\.dua( \*)?$'; }
# Ctrl+S goes to the focused window; pressed again until the link is in the saved file.
saved_with_link() {
    for _ in $(seq 20); do
        xdotool windowfocus --sync "$(window | head -n 1)" key --clearmodifiers ctrl+s
        for _ in $(seq 10); do
            if tarnu-pack book "$data/Default.dua" 2>/dev/null | grep -qF "$work/note.txt"; then
                return 0
            fi
            sleep 0.1
        done
    done
    return 1
}

# Field codes stand for files the desktop passes; started from the menu there are none.
command=${exec_line//%[fFuU]/}
# shellcheck disable=SC2086  # the Exec line is split into words as the desktop does
$command &
check "started from the desktop entry, it shows the default ZuBook" poll window
check "the first start copied the data pack into the user's data" test -s "$data/Data/ZuData.dta"
check "the first start wrote Default.dua there" test -f "$data/Default.dua"

rc=0
tarnu -add "$work/note.txt" || rc=$?
check "a second copy forwards -add and ends with code 0" test "$rc" -eq 0
check "Ctrl+S saves the ZuBook with the forwarded link" saved_with_link
check "nothing was written into the installed files" \
    test ! -e "$shipped/Default.dua" -a ! -e /usr/bin/Default.dua -a ! -e /usr/bin/Data
check "only one copy runs" test "$(pgrep -c -u "$(id -u)" -x tarnu)" -eq 1

echo "install smoke: $passed passed, $failed failed"
test "$failed" -eq 0
