#!/usr/bin/env bash
# Two real copies of the program share files over loopback (run under xvfb-run). Copy A puts
# file links of its ZuBook into a shared folder and switches sharing on, on ports from its
# settings; copy B adds A to its server list as "127.0.0.1:PORT", connects, browses and
# downloads with F5, and the bytes are compared. Then tarnu-share serves copy B and fetches
# from copy A. Hostile turns: copy A killed in the middle of a download (copy B keeps the
# partial file, lives on and connects again), a second client while copy B holds the file
# connection, copy B ended or its window closed during a download.
# Usage: run_share_e2e.sh BUILD_DIR  (SHOTS=DIR keeps screenshots there)
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

# shellcheck source=../support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
# shellcheck source=../support/e2e.sh
source "$(dirname "$0")/../support/e2e.sh"

# Free loopback ports, bound all at once so that they differ, then let go. With "pair", the
# first two lie side by side, as a control port and the file port after it.
free_ports() {
    /usr/bin/python3 -c '
import socket, sys
def bound(port):
    s = socket.socket()
    try:
        s.bind(("127.0.0.1", port))
        return s
    except OSError:
        s.close()
held = []
while len(held) < 2:
    first = bound(0)
    second = bound(first.getsockname()[1] + 1) if first.getsockname()[1] < 65535 else None
    if second:
        held = [first, second]
held += [bound(0) for _ in range(int(sys.argv[1]) - 2)]
print(" ".join(str(s.getsockname()[1]) for s in held))' "$1"
}
# Copy A's ports side by side, so that a port alone names both; tarnu-share's anywhere.
read -r a_port a_file serve_port serve_file < <(free_ports 4)

# make_copy NAME PORT: a program directory, home and runtime directory of its own, so that
# neither the single-instance lock nor the data are shared; downloads go to NAME/down. It
# shares on PORT and the port after it (0: the standard ports).
make_copy() {
    local dir=$work/$1
    mkdir -p "$dir/prog/Data" "$dir/home" "$dir/run"
    chmod 700 "$dir/run"
    cp "$build/tarnu" "$build/tarnu.portable" "$dir/prog/"
    cp "$build/Data/ZuData.dta" "$build/Data/ZuIm.qii" "$dir/prog/Data/"
    printf '[Directories]\nDownloadDir=%s\n[Sharing]\nControlPort=%s\n' "$dir/down" "$2" \
        >"$dir/Tarnu.ini"
    "$build/tarnu-pack" add "$dir/prog/Data/ZuData.dta" "$dir/Tarnu.ini" >/dev/null
}
# copy_env NAME: the environment of that copy, as VAR=value words for env.
copy_env() {
    local dir=$work/$1
    echo "HOME=$dir/home XDG_RUNTIME_DIR=$dir/run XDG_CONFIG_HOME=$dir/home/.config" \
        "XDG_DATA_HOME=$dir/home/.local/share QT_QPA_PLATFORM=xcb"
}
# in_copy NAME ARG...: that copy's program in the foreground (a second copy forwarding).
in_copy() {
    # shellcheck disable=SC2046  # the words are VAR=value pairs without spaces
    env $(copy_env "$1") "$work/$1/prog/tarnu" "${@:2}"
}
# start_copy NAME ARG...: that copy's program in the background, its output in NAME.log. $!
# is the program's own pid (env execs it, no subshell between), so kill reaches the program.
start_copy() {
    # shellcheck disable=SC2046
    env $(copy_env "$1") "$work/$1/prog/tarnu" "${@:2}" >>"$work/$1.log" 2>&1 &
}
shot() {
    if [ -n "${SHOTS:-}" ]; then
        import -window root "$SHOTS/$1.png"
    fi
}
# keys WINDOW-REGEX KEY...: keys to that window, raised and focused first (the two copies'
# windows lie on top of each other).
keys() {
    local window
    window=$(xdotool search --onlyvisible --name "$1" | head -1)
    shift
    xdotool windowraise "$window"
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
    xdotool key --clearmodifiers --delay 150 "$@"
}
# click_at WINDOW-REGEX X Y [BUTTON]: a click (left unless told) at X,Y inside the window.
click_at() {
    local window
    window=$(xdotool search --onlyvisible --name "$1" | head -1)
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool windowraise "$window"
    xdotool mousemove "$((X + $2))" "$((Y + $3))" click "${4:-1}"
}
# context_menu WINDOW-REGEX X Y: a right click at X,Y inside the window. The trees open their
# context menus only for the mouse.
context_menu() {
    click_at "$1" "$2" "$3" 3
    wait_window '^Tarnu$' --onlyvisible || true  # the menu's window takes the program's name
}
# type_into TITLE TEXT: replaces the text of the focused field of that dialog.
type_into() {
    wait_window "$1" --onlyvisible || return 0  # the check after it fails
    keys "$1" ctrl+a
    xdotool type --delay 20 "$2"
}
# until_true SECONDS COMMAND...: polls the command every 0.1 s.
until_true() {
    local tries=$(($1 * 10))
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
listening() {  # listening PORT
    ss -Hltn "sport = :$1" | grep -q LISTEN
}
same_file() {  # same_file A B: B exists and holds A's bytes
    [ -f "$2" ] && cmp -s "$1" "$2"
}
size_of() {
    stat -c %s "$1" 2>/dev/null || echo 0
}

make_copy a "$a_port"
make_copy b 0
mkdir -p "$work/files"
head -c 300000 /dev/urandom >"$work/files/photo.bin"
weird='we#ird & name.txt'
echo "a name with # and &" >"$work/files/$weird"
# Sparse: big enough that a download is still running when copy A is killed.
truncate -s 768M "$work/files/zbig.iso"
printf 'Share\n' >"$work/outline.txt"
"$build/tarnu-pack" outline "$work/outline.txt" "$work/a/book.dua"

# Copy A: three file links arrive in ":Share"; a shared folder ":Pub" gets them.
start_copy a -dua "$work/a/book.dua"
copy_a=$!
main_a="^Tarnu - $work/a/book\\.dua"
check "copy A shows its ZuBook" wait_window "$main_a" --onlyvisible
for f in photo.bin "$weird" zbig.iso; do
    in_copy a -add "$work/files/$f"
done
keys "$main_a" ctrl+s
check "the links arrived in copy A's ZuBook" book_has "$work/files/zbig.iso" "$work/a/book.dua"
# The shared tree has the keyboard on its tab; its root row is the first one.
keys "$main_a" ctrl+Tab
context_menu "$main_a" 220 191
xdotool key --delay 150 Down Return  # "Add folder"; the menu has the keyboard
sleep 0.5                             # the menu's window is gone, the input box's comes
type_into '^Tarnu$' Pub
keys '^Tarnu$' Return
until_true 10 test -z "$(xdotool search --onlyvisible --name '^Tarnu$' 2>/dev/null)" || true
keys "$main_a" Down  # :Pub, the only folder, becomes the target of Share files
# Back in the ZuBook: the three links under ":Share" are selected, shared from the menu.
keys "$main_a" ctrl+shift+Tab Home Down shift+Down shift+Down
context_menu "$main_a" 231 160
xdotool key --delay 150 Up Up Return  # "Share files", above the last item
keys "$main_a" ctrl+Tab
click_at "$main_a" 635 107  # "Allow connections" beside the page's picture
check "copy A listens on the port of its settings" until_true 10 listening "$a_port"
check "and on the file port after it" listening "$a_file"
shot a-sharing
keys "$main_a" ctrl+s
check "the shared folder is saved with the ZuBook" book_has ":Pub" "$work/a/book.dua"

# Copy B: the server entry names copy A's control port; the file port is the one after it.
start_copy b
copy_b=$!
main_b='^Tarnu - Default\.dua'
check "copy B starts beside copy A" wait_window "$main_b" --onlyvisible
keys "$main_b" ctrl+Tab ctrl+Tab
shot b-transfer-tab
keys "$main_b" Insert  # "Add server"
type_into '^Tarnu server$' "127.0.0.1:$a_port"
keys '^Tarnu server$' Tab ctrl+a
xdotool type --delay 20 "copy A"
keys '^Tarnu server$' Return
check "the entry is in copy B's server list" \
    until_true 10 grep -q "^127.0.0.1:$a_port - copy A" "$work/b/prog/Data/FavServers.fs"
# Return on the entry connects, as a double click does. The keys below name rows from the
# top (Home), so pressing them again after a slow reply does no harm.
keys "$main_b" Home Return
connected() {  # connected PORT: copy B holds a connection to that port
    ss -Htn state established "dport = :$1" | grep -q .
}
check "copy B connects to copy A's ports" until_true 10 connected "$a_port"
check "with its file connection beside" until_true 10 connected "$a_file"
# download_row FILE KEYS...: the keys (from the top) reach the row of FILE's name; F5 fetches
# it into copy B's download directory. Tried three times, for a listing that had not arrived
# yet when the keys did.
download_row() {
    local file=$1
    shift
    for _ in 1 2 3; do
        keys "$main_b" "$@" F5
        until_true 10 same_file "$file" "$work/b/down/$(basename "$file")" && return 0
    done
    return 1
}
browse() {  # browse KEYS...: Return on the folder the keys reach lists it
    keys "$main_b" "$@" Return
    sleep 0.5
}
browse Home Down
check "F5 downloads a browsed file; the bytes are the same" \
    download_row "$work/files/photo.bin" Home Down Down
shot b-downloaded
check "a name with '#', '&' and spaces downloads whole" \
    download_row "$work/files/$weird" Home Down Down Down

# tarnu-share serving a folder; copy B adds it, browses and downloads from it.
mkdir -p "$work/served"
head -c 70000 /dev/urandom >"$work/served/notes.bin"
"$build/tarnu-share" serve --bind 127.0.0.1 --port "$serve_port" --file-port "$serve_file" \
    "$work/served" >"$work/serve.log" &
served=$!
check "tarnu-share serves" until_true 10 listening "$serve_port"
keys "$main_b" Insert  # "Add server"
type_into '^Tarnu server$' "127.0.0.1:$serve_port:$serve_file"
keys '^Tarnu server$' Tab ctrl+a
xdotool type --delay 20 "headless"
keys '^Tarnu server$' Return
# The new entry is the last row while nothing hangs beneath it; Return leaves copy A for it.
keys "$main_b" End Return
check "copy B connects to tarnu-share" until_true 10 connected "$serve_port"
left_a() {
    ! connected "$a_port"
}
check "and leaves copy A" until_true 10 left_a
browse Home Down Down
check "copy B downloads from tarnu-share" \
    download_row "$work/served/notes.bin" Home Down Down Down
check "tarnu-share logged the file it sent" grep -q 'File sent' "$work/serve.log"

# tarnu-share against copy A, with the address as the server list writes it.
ls_out=$("$build/tarnu-share" ls "127.0.0.1:$a_port:$a_file" '\0' || true)
check "tarnu-share lists copy A's shared folder" \
    test "$ls_out" = $'\\0\\0\tphoto.bin\t300000\n\\0\\1\t'"$weird"$'\t20\n\\0\\2\tzbig.iso\t805306368'
got=$("$build/tarnu-share" get "127.0.0.1:$a_port:$a_file" '\0\1' "$work/got" || true)
check "tarnu-share gets a file from copy A" same_file "$work/files/$weird" "$work/got/$weird"
check "and says where it put it" test "$got" = "$work/got/$weird"

# Copy A killed in the middle of a download.
keys "$main_b" Home Return
check "copy B connects to copy A again" until_true 10 connected "$a_port"
browse Home Down
keys "$main_b" Home Down Down Down Down F5
big=$work/b/down/zbig.iso
started() {
    [ "$(size_of "$big")" -gt 0 ]
}
check "the big download starts" until_true 20 started
kill -9 "$copy_a"
wait "$copy_a" 2>/dev/null || true
# Copy B has seen the drop once it holds no socket to copy A's ports.
let_go() {
    ! ss -Htn "( dport = :$a_port or dport = :$a_file )" | grep -q .
}
check "copy B lets go of the dead connections" until_true 20 let_go
partial=$(size_of "$big")
check "the partial file stays" test "$partial" -gt 0 -a "$partial" -lt 805306368
check "copy B lives on" kill -0 "$copy_b"
shot b-after-kill

# Copy A again, sharing as it was saved; copy B connects and downloads as before.
start_copy a -dua "$work/a/book.dua"
copy_a=$!
wait_window "$main_a" --onlyvisible
keys "$main_a" ctrl+Tab
click_at "$main_a" 635 107  # "Allow connections" beside the page's picture
check "copy A shares again" until_true 10 listening "$a_port"
keys "$main_b" Home Return
check "copy B reconnects" until_true 10 connected "$a_port"
browse Home Down
# While copy B holds copy A's one file connection, a second client is told at once that its
# file does not come, and the bytes do not go to copy B instead.
rc=0
timeout 20 "$build/tarnu-share" get "127.0.0.1:$a_port" '\0\2' "$work/second" 2>/dev/null || rc=$?
check "a second client's download fails at once (exit 1, not a hang)" test "$rc" -eq 1
rm -f "$work/b/down/photo.bin"
check "and copy B downloads again, its bytes untouched" \
    download_row "$work/files/photo.bin" Home Down Down

# Copy B ends (as at logout) in the middle of a download, held there by stopping copy A: it
# leaves cleanly and the partial file stays.
rm -f "$big"
keys "$main_b" Home Down Down Down Down F5
check "another big download starts" until_true 20 started
kill -STOP "$copy_a"
kill "$copy_b"
rc=0
wait "$copy_b" || rc=$?
check "copy B ends with code 0 in the middle of a download" test "$rc" -eq 0
partial=$(size_of "$big")
check "its partial file stays" test "$partial" -gt 0 -a "$partial" -lt 805306368
kill -CONT "$copy_a"

# Copy B again: its server list came back from its file. Its window closed during a
# download only hides it; the download goes on to the last byte.
start_copy b
copy_b=$!
wait_window "$main_b" --onlyvisible || true
keys "$main_b" ctrl+Tab ctrl+Tab Home Return
check "copy B connects from its saved list after a restart" until_true 10 connected "$a_port"
browse Home Down
rm -f "$big"
keys "$main_b" Home Down Down Down Down F5
check "a third big download starts" until_true 20 started
xdotool search --onlyvisible --name "$main_b" windowclose 2>/dev/null || true
shot b-window-closed
check "closing copy B's window leaves it running" kill -0 "$copy_b"
check "the download finishes behind the closed window, bytes the same" \
    until_true 120 same_file "$work/files/zbig.iso" "$big"
check "copy A goes on serving" kill -0 "$copy_a"
kill "$served" "$copy_a" "$copy_b"
wait "$served" "$copy_a" "$copy_b" 2>/dev/null || true
if [ "$failed" -ne 0 ]; then
    tail -n 20 "$work"/*.log
fi
echo "share e2e: $passed passed, $failed failed"
test "$failed" -eq 0
