#!/bin/sh
# TOLVA.EXE under Wine on a real terminal: an 80x25 tmux pane, where Wine's
# console draws the console window. The reply is typed with a Backspace in
# it; the two parts are joined; the missing-part message stands at the top
# of the cleared window with the cursor after the question; X ends the run
# with exit code 0 and the joined file is the parts byte for byte.
#
#   wine_terminal_test.sh RUN-UNDER-WINE TOLVA.EXE
# Exit code 0: passed, 77: skipped (no tmux; in CI a failure instead), anything else: failed.
set -u
run_under_wine=$1
tolva=$2

# In CI (CI=true) a test that cannot run fails instead of skipping.
command -v tmux > /dev/null 2>&1 || { echo "tmux is not installed"; [ "${CI:-}" = true ] && exit 1; exit 77; }

folder=$(mktemp -d /tmp/suite-wine-terminal-XXXXXX)
socket=suite-wine-terminal-$$
trap 'tmux -L "$socket" kill-server 2> /dev/null; rm -rf "$folder"' EXIT

fail() {
    echo "FAILED: $1"
    echo "--- screen ---"
    tmux -L "$socket" capture-pane -p -t test 2> /dev/null
    exit 1
}

screen() { tmux -L "$socket" capture-pane -p -t test; }
row() { screen | sed -n "$(($1 + 1))p" | sed 's/ *$//'; }

# Waits up to 60 seconds (a first start of Wine is slow) for text on the screen.
wait_for() {
    tries=0
    while ! screen | grep -qF -- "$1"; do
        tries=$((tries + 1))
        [ "$tries" -lt 600 ] || fail "no \"$1\" on the screen"
        sleep 0.1
    done
}

head -c 1433600 /dev/urandom > "$folder/part1.zip"
head -c 5000 /dev/urandom > "$folder/part2.zip"

# The pane's command ends by itself within two minutes, so that a run that
# CTest had to kill leaves no terminal behind.
tmux -L "$socket" -f /dev/null new-session -d -s test -x 80 -y 25 -c "$folder" \
    "timeout --foreground 90 '$run_under_wine' '$tolva' out.dat part 1; echo \$? > '$folder/status'; sleep 30" ||
    fail "tmux did not start"

wait_for "type y:"
tmux -L "$socket" send-keys -t test y q BSpace Enter

wait_for "somehow not there"
question="Press X to signal that it is finished, or G to go back and try again:"
[ "$(row 0)" = "Okay. The file for part3.ZIP is somehow not there." ] || fail "row 0"
[ "$(row 1)" = "$question" ] || fail "row 1"
for r in 2 3 4 12 24; do
    [ -z "$(row $r)" ] || fail "row $r is not blank"
done
cursor=$(tmux -L "$socket" display -p -t test '#{cursor_x} #{cursor_y}')
[ "$cursor" = "$((${#question} + 1)) 1" ] || fail "cursor at $cursor"

tmux -L "$socket" send-keys -t test x Enter
tries=0
while [ ! -s "$folder/status" ]; do
    tries=$((tries + 1))
    [ "$tries" -lt 300 ] || fail "TOLVA did not end"
    sleep 0.1
done
[ "$(cat "$folder/status")" = 0 ] || fail "exit code $(cat "$folder/status")"
[ "$(row 1)" = "$question x" ] || fail "the reply is not echoed"
[ "$(row 3)" = "Many thanks and good luck." ] || fail "no parting line"
cat "$folder/part1.zip" "$folder/part2.zip" | cmp -s - "$folder/out.dat" || fail "out.dat is not the joined parts"
echo "passed"
