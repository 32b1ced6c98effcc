# Helpers for the end-to-end tests: start the real program in a folder of its
# own on an X server of its own, find its windows, check what it leaves on disk.
set -euo pipefail

QUORREL=$(readlink -f "$1")
FAKETIME_LIB=$(find /usr/lib -name libfaketimeMT.so.1 -print -quit)
[[ -n $FAKETIME_LIB ]] || { echo "libfaketime is not installed" >&2; exit 1; }
WORK=$(mktemp -d)
mkdir "$WORK/here" -m 700 "$WORK/.runtime"
cd "$WORK/here"
export XDG_RUNTIME_DIR="$WORK/.runtime"
# On a free display that the server picks and reports once it takes clients.
mkfifo "$WORK/display"
# A test may start another server than Xvfb: x_server ARGS..., defined before.
declare -F x_server >/dev/null || x_server() { exec Xvfb -screen 0 1024x768x24 "$@"; }
x_server -displayfd 3 -nolisten tcp -noreset 3>"$WORK/display" 2>"$WORK/xvfb" &
XVFB=$!
# A program left by a failure is asked to end first, so that the faked clock
# cleans up after it; the server goes last, before the next test starts one.
trap 'set +e; left=$(jobs -p | grep -vx $XVFB); kill $left 2>/dev/null; sleep 0.3; kill -9 $left 2>/dev/null; kill $XVFB; wait; rm -rf "$WORK"' EXIT
read -r -t 20 display <"$WORK/display" || { echo "no X server: $(cat "$WORK/xvfb")" >&2; exit 1; }
export DISPLAY=":$display" && unset WAYLAND_DISPLAY XAUTHORITY

fail() { echo "FAIL: $*" >&2 && exit 1; }

# within SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds, or fails.
within() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do ((SECONDS <= deadline)) && sleep 0.05 || return 1; done
}

# start_quorrel [PREFIX...]: starts the program here, with an optional command
# in front that execs it (so that PID is the program's); stderr in $WORK/stderr.
start_quorrel() {
  # Through a pipe: a size limit on the program must not cut its own report.
  "$@" "$QUORREL" 2> >(cat >"$WORK/stderr") &
  PID=$!
}

# start_quorrel_at "YYYY-MM-DD HH:MM:SS": the program's clock reads that local
# time at STARTED (to the second), however slowly it starts, and runs on. The
# library is preloaded: the faketime wrapper forks. Files keep their real
# times, or fontconfig takes its caches for stale.
start_quorrel_at() {
  STARTED=$EPOCHSECONDS
  start_quorrel env LD_PRELOAD="$FAKETIME_LIB" FAKETIME="$(printf %+d $(($(date -d "$1" +%s) - STARTED)))" \
    DONT_FAKE_MONOTONIC=1 NO_FAKE_STAT=1
}

# start_quorrel_clocked "YYYY-MM-DD HH:MM:SS": the program's clock reads that
# local time and runs on, until set_clock sets another, read within a second.
# Files keep their real times, or fontconfig takes its caches for stale.
start_quorrel_clocked() {
  set_clock "$1"
  start_quorrel env LD_PRELOAD="$FAKETIME_LIB" FAKETIME_TIMESTAMP_FILE="$WORK/clock" FAKETIME_CACHE_DURATION=1 \
    DONT_FAKE_MONOTONIC=1 NO_FAKE_STAT=1
}
set_clock() { echo "@$1" >"$WORK/clock"; }

# wait_wm NAME: waits until the window manager that calls itself NAME runs; what it said is in $WORK/wm.
wait_wm() {
  local name=$1
  within 20 eval 'wmctrl -m 2>/dev/null | grep -qx "Name: $name"' || fail "$name did not start: $(cat "$WORK/wm")"
}

# stop_wm PID NAME: ends the window manager, until it has gone for the X server
# too: a window mapped meanwhile would be asked of it, and never shown.
stop_wm() {
  kill "$1" && wait "$1" || true
  within 10 eval '! wmctrl -m >/dev/null 2>&1' || fail "$2 did not go"
}

# windows NAME-PATTERN: the ids of the program's visible windows whose title
# matches. --all, or xdotool ORs its conditions and lists every window.
windows() {
  local id
  for id in $(xdotool search --all --onlyvisible --pid "$PID" --name '' 2>/dev/null); do
    xdotool getwindowname "$id" 2>/dev/null | grep -qE "$1" && echo "$id"
  done; true
}

shown_or_ended() { [[ -n $(windows "$1") ]] || ! kill -0 "$PID" 2>/dev/null; }

# wait_window NAME-PATTERN: prints the id of the program's visible window.
wait_window() {
  within 10 shown_or_ended "$1" || fail "no window '$1' appeared"
  windows "$1" | head -1 | grep . || fail "the program ended before showing '$1': $(cat "$WORK/stderr")"
}

# wait_exit [SECONDS]: waits for the program to end; sets STATUS.
wait_exit() {
  within "${1:-10}" eval '! kill -0 "$PID" 2>/dev/null' || fail "the program did not end"
  wait "$PID" && STATUS=0 || STATUS=$?
}

# menu LETTER KEY: a command from a menu opened with Alt; waits for the menu to
# open and to go, as keys typed while it holds the keyboard are lost.
menu() {
  xdotool key "alt+$1" && within 5 eval '[[ -n $(windows "^Quorrel$") ]]' || fail "no menu $1"
  xdotool key "$2" && within 5 eval '[[ -z $(windows "^Quorrel$") ]]' || fail "menu $1 stayed"
}

# focus WINDOW-ID: gives the window the keyboard (there is no window manager).
focus() { xdotool windowfocus --sync "$1" && sleep 0.2; }

# read_word WINDOW WORD: sets AT to "X Y", the middle of WORD as read off the window; all read in $WORK/words.
read_word() {
  import -silent -window "$1" -colorspace gray -resize 400% png:- | tesseract stdin - --psm 11 --dpi 300 tsv |
    awk -F'\t' 'NR > 1 && $12 != "" { print int(($7 + $9 / 2) / 4), int(($8 + $10 / 2) / 4), $12 }' >"$WORK/words"
  AT=$(awk -v word="$2" '$3 == word { print $1, $2; found = 1; exit } END { exit !found }' "$WORK/words")
}

# expect_file BYTES-AS-PRINTF-FORMAT
expect_file() {
  printf "$1" >"$WORK/expected"
  cmp -s "$WORK/expected" savefile.txt || fail "savefile.txt is not as expected:"$'\n'"$(od -c savefile.txt | head -20)"
}
