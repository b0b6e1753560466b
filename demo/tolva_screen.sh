#!/usr/bin/env bash
# TOLVA's screen during a join, as the README shows it: a 3000000-byte file
# cut by MORVANTE into parts of one floppy unit, joined by TOLVA in floppy
# mode in an 80x25 tmux pane. The pane is printed twice: when the first part
# is asked for, and when it has been appended and the second is asked for;
# then the join is finished and checked.
#
#   bash demo/tolva_screen.sh     (after: cmake --preset default && cmake --build --preset default)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
bin="$here/build/bin"
work=$(mktemp -d)
socket="tolva-screen-$$"
finish() {
    tmux -L "$socket" kill-server 2> /dev/null || true
    rm -rf "$work"
}
trap finish EXIT

cd "$work"
head -c 3000000 /dev/urandom > photos.tar
printf 'y\n' | "$bin/MORVANTE" photos.tar part 1 > /dev/null

# Waits up to ten seconds for text to appear in the pane.
wait_for() {
    local tries
    for tries in $(seq 100); do
        if tmux -L "$socket" capture-pane -p -t join | grep -qF "$1"; then return 0; fi
        sleep 0.1
    done
    echo "tolva_screen: '$1' did not appear" >&2
    tmux -L "$socket" capture-pane -p -t join >&2
    exit 1
}

tmux -L "$socket" -f /dev/null new-session -d -x 80 -y 25 -s join \
    "'$bin/TOLVA' photos-again.tar part 1 F; echo \"TOLVA ended: \$?\"; sleep 60"
wait_for "type y:"
tmux -L "$socket" send-keys -t join y Enter
# The screen, without the blank lines below the text.
screen() {
    tmux -L "$socket" capture-pane -p -t join | sed -e :a -e '/^\n*$/{$d;N;ba' -e '}'
}
wait_for "AND NOW ENTER WHEN READY"
screen
echo "----"
tmux -L "$socket" send-keys -t join Enter
wait_for "part2.zip"
screen

tmux -L "$socket" send-keys -t join Enter
wait_for "part3.zip"
tmux -L "$socket" send-keys -t join Enter
wait_for "part4.zip"
tmux -L "$socket" send-keys -t join x Enter
wait_for "TOLVA ended: 0"
cmp photos.tar photos-again.tar
