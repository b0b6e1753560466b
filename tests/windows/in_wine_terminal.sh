#!/bin/sh
# Runs a Windows program under Wine inside a real terminal (an 80x25 tmux
# pane), where Wine gives it a console, with its standard output and error
# in a file; shows that file and ends with the program's exit code.
#
#   in_wine_terminal.sh RUN-UNDER-WINE PROGRAM [ARGUMENT...]
# Exit code 77: skipped (no tmux; in CI a failure instead).
set -u
run_under_wine=$1
shift

# In CI (CI=true) a test that cannot run fails instead of skipping.
command -v tmux > /dev/null 2>&1 || { echo "tmux is not installed"; [ "${CI:-}" = true ] && exit 1; exit 77; }

folder=$(mktemp -d /tmp/suite-wine-terminal-XXXXXX)
socket=suite-wine-terminal-$$
trap 'tmux -L "$socket" kill-server 2> /dev/null; rm -rf "$folder"' EXIT

command="'$run_under_wine'"
for argument in "$@"; do command="$command '$argument'"; done
# The pane's command ends by itself within two minutes, so that a run that
# CTest had to kill leaves no terminal behind.
tmux -L "$socket" -f /dev/null new-session -d -s run -x 80 -y 25 -c "$folder" \
    "timeout --foreground 90 $command > '$folder/output' 2>&1; echo \$? > '$folder/status'; sleep 30" ||
    { echo "tmux did not start"; exit 1; }

tries=0
while [ ! -s "$folder/status" ]; do
    tries=$((tries + 1))
    [ "$tries" -lt 950 ] || { echo "the program did not end"; cat "$folder/output"; exit 1; }
    sleep 0.1
done
cat "$folder/output"
exit "$(cat "$folder/status")"
