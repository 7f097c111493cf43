#!/usr/bin/env bash
# Smoke test of the installed package. Run as root after `apt-get install ./tarnu_*.deb`:
# checks the installed metadata, then a normal user starts Tarnu as the desktop would (the
# Exec line of the installed desktop entry) on a private X server, a second start forwards
# "-add FILE", Ctrl+S saves the ZuBook, and the ZuBook with the new link must be under that
# user's ~/.local/share/tarnu, with nothing written into the installed files. Meanwhile a
# second user runs Tarnu of their own, and neither copy reaches the other, though neither
# session gives a runtime directory.
# Usage: tests/install/smoke.sh [user]   (the user and user-2 are made when missing)
set -euo pipefail

entry=/usr/share/applications/tarnu.desktop
shipped=/usr/share/tarnu

# The users run a copy of this script with the checks beside it.
if [[ -f "$(dirname "$0")/checks.sh" ]]; then
    # shellcheck source=../support/checks.sh
    source "$(dirname "$0")/checks.sh"
else
    # shellcheck source=../support/checks.sh
    source "$(dirname "$0")/../support/checks.sh"
fi

if [[ "${1:-}" != "--session" && "${1:-}" != "--hold" ]]; then
    user="${1:-tarnu-smoke}"
    other="$user-2"
    [[ $(id -u) -eq 0 ]] || { echo "smoke: run as root" >&2; exit 2; }
    desktop-file-validate "$entry"
    appstreamcli validate --no-net /usr/share/metainfo/org.tarnu.tarnu.metainfo.xml >/dev/null
    for u in "$user" "$other"; do
        id "$u" >/dev/null 2>&1 || useradd --create-home --shell /bin/bash "$u"
        rm -rf "$(getent passwd "$u" | cut -d: -f6)/.local/share/tarnu"  # a first start
    done
    home=$(getent passwd "$user" | cut -d: -f6)
    other_home=$(getent passwd "$other" | cut -d: -f6)
    run=$(mktemp -d)
    copies=$(mktemp -d /tmp/tarnu-smoke.XXXXXX)
    trap 'pkill -u "$other" -x tarnu || true; rm -rf "$run" "$copies"' EXIT
    copy="$copies/smoke.sh"
    cp "$0" "$copy"
    cp "$(dirname "$0")/../support/checks.sh" "$copies/checks.sh"
    chmod 755 "$copies" "$copy"
    chmod 644 "$copies/checks.sh"
    chown "$user" "$run"
    chmod 700 "$run"
    exec_line=$(sed -n '/^\[Desktop Entry\]/,/^\[/s/^Exec=//p' "$entry")
    as_user() {  # as_user USER HOME [VAR=value...] -- command...
        local u=$1 h=$2
        shift 2
        runuser -u "$u" -- env -i HOME="$h" USER="$u" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"
    }

    # The other user's copy runs for as long as the first user's session.
    as_user "$other" "$other_home" xvfb-run -a -s "-screen 0 1280x800x24" \
        bash "$copy" --hold "$exec_line" >"$copies/other.log" 2>&1 &
    other_data="$other_home/.local/share/tarnu"
    poll_root() {
        for _ in $(seq 200); do
            "$@" && return 0
            sleep 0.1
        done
        return 1
    }
    check "the second user's copy starts on their own data" poll_root test -f "$other_data/Default.dua"
    as_user "$user" "$home" xvfb-run -a -s "-screen 0 1280x800x24" \
        bash "$copy" --session "$exec_line" "$other" "$run/counts" || true
    check "the second user's copy ran beside the first one's" \
        test "$(pgrep -c -u "$other" -x tarnu)" -eq 1
    check "each user's data is their own" test "$(stat -c %U "$other_data/Default.dua")" = "$other" \
        -a "$(stat -c %U "$home/.local/share/tarnu/Default.dua")" = "$user"
    read -r session_passed session_failed <"$run/counts" || session_failed=1
    echo "install smoke: $((passed + session_passed)) passed, $((failed + session_failed)) failed"
    test $((failed + session_failed)) -eq 0
    exit
fi

# The second user: only starts Tarnu and keeps it running until stopped.
if [[ "$1" == "--hold" ]]; then
    command=${2//%[fFuU]/}
    # shellcheck disable=SC2086  # the Exec line is split into words as the desktop does
    exec $command
fi

# The user's session on the private X server.
exec_line=$2
data="$HOME/.local/share/tarnu"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
echo "a note" >"$work/note.txt"

other_user=$3
counts=$4
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
check "the other user's copy was not taken over" test "$(pgrep -c -u "$other_user" -x tarnu)" -eq 1

echo "$passed $failed" >"$counts"
