#!/usr/bin/env bash
# A user's session in a real window: accept the agreement, open a video through the file
# dialog, pick the output folder in the folder picker, convert a range of ten frames, save the
# frame on show under a typed name, and leave through Exit.
#
# Usage: user_flow.sh BUILD_DIR   (DISPLAY names an X server without a window manager; the
# keyboard then goes to the window under the pointer, so the pointer is moved there first.)
set -euo pipefail

build=${1:?usage: user_flow.sh BUILD_DIR}
program=$build/Stillcutter
[[ -x $program ]] || { echo "no program at $program" >&2; exit 1; }
[[ -n ${DISPLAY:-} ]] || { echo "DISPLAY is not set" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/stillcutter-user-flow.XXXXXX")
app_pid=
cleanup() {
  if [[ -n $app_pid ]] && kill -0 "$app_pid" 2>/dev/null; then kill "$app_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  echo "windows on the display:" >&2
  xwininfo -root -tree | grep '"' >&2 || true
  import -window root "$build/user_flow_failure.png" 2>/dev/null &&
    echo "screenshot: $build/user_flow_failure.png" >&2
  exit 1
}

# The visible window whose title is exactly $1 and that is at least $2 x $3 pixels.
find_window() {
  local id
  for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    if ((WIDTH >= $2 && HEIGHT >= $3)); then echo "$id"; return 0; fi
  done
  return 1
}

# Waits up to 20 s for that window; prints its id.
wait_window() {
  local id
  for _ in $(seq 200); do
    if id=$(find_window "$@"); then echo "$id"; return 0; fi
    sleep 0.1
  done
  fail "no window \"$1\" appeared"
}

wait_gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# Clicks the centre of a control given in dialog units (x, y, cx, cy) of a dialog whose
# template is TW x TH units: the window's own size gives the units' size in pixels.
click_control() {
  local win=$1 tw=$2 th=$3 x=$4 y=$5 cx=$6 cy=$7
  eval "$(xdotool getwindowgeometry --shell "$win")"
  local px=$(((2 * x + cx) * WIDTH / (2 * tw)))
  local py=$(((2 * y + cy) * HEIGHT / (2 * th)))
  xdotool mousemove --window "$win" "$px" "$py"
  sleep 0.2
  xdotool click 1
}

# Types a full path into the file-name field of the file dialog titled $1 and confirms it.
answer_file_dialog() {
  local title=$1 path=$2 dlg
  dlg=$(wait_window "$title" 200 150)
  xdotool mousemove --window "$dlg" 20 20
  sleep 0.3
  xdotool type --delay 5 "$path"
  sleep 0.3
  xdotool key Return
  # A completion list may take the first Return.
  if ! wait_gone "$title"; then
    xdotool key Return
    wait_gone "$title" || fail "the dialog \"$title\" did not accept $path"
  fi
}

# The main dialog's template is 677 x 431 dialog units; the agreement's 377 x 254.
MAIN=(677 431)

video=$work/clip.avi
ffmpeg -nostdin -y -v error -f lavfi -i testsrc2=size=320x240:rate=25 -frames:v 40 \
  -c:v ffv1 -pix_fmt bgr0 "$video"
out=$work/frames
saved=$work/saved
mkdir -p "$out" "$saved" "$work/config"

XDG_CONFIG_HOME=$work/config "$program" >"$work/program.log" 2>&1 &
app_pid=$!

# The agreement: Accept.
agreement=$(wait_window "End-User License Agreement" 200 150)
click_control "$agreement" 377 254 115 235 50 14
main=$(wait_window Stillcutter 600 400)

# Open AVI, then the file.
click_control "$main" "${MAIN[@]}" 5 5 50 14
answer_file_dialog Open "$video"

# Set Output Directory, then the folder.
click_control "$main" "${MAIN[@]}" 65 5 81 14
answer_file_dialog "Choose a directory to put the TIFF files in." "$out"

# Frames 10 to 19 into the range boxes, then Start Conversion.
type_into() {
  click_control "$main" "${MAIN[@]}" "$@"
  xdotool key ctrl+a
  xdotool type --delay 5 "$TEXT"
}
TEXT=10 type_into 5 150 77 16
TEXT=19 type_into 5 190 77 16
click_control "$main" "${MAIN[@]}" 5 310 75 14

expected=()
for f in $(seq 10 19); do expected+=("$(printf '00,00,00,%02d.tif' "$f")"); done
size=$((256 + 320 * 240 * 3))
done_converting() {
  local n=0 name
  for name in "${expected[@]}"; do
    [[ -f $out/$name && $(stat -c %s "$out/$name") -eq $size ]] && n=$((n + 1))
  done
  ((n == ${#expected[@]}))
}
for _ in $(seq 300); do done_converting && break; sleep 0.1; done
done_converting || fail "the ten frame files were not written"
sleep 1  # the end of the run: bar full, beeps, bar empty
actual=$(cd "$out" && ls)
[[ $actual == "$(printf '%s\n' "${expected[@]}")" ]] ||
  fail "the output folder holds: $actual"
tiffinfo "$out/00,00,00,10.tif" 2>/dev/null | grep -q 'Image Width: 320 Image Length: 240' ||
  fail "00,00,00,10.tif is no 320 x 240 TIFF file"

# Save Just This Frame under a typed name without extension: .tif is added. The frame on
# show is the last one converted, 19.
click_control "$main" "${MAIN[@]}" 375 415 81 14
answer_file_dialog "Save As" "$saved/still"
for _ in $(seq 100); do [[ -f $saved/still.tif ]] && break; sleep 0.1; done
[[ -f $saved/still.tif ]] || fail "still.tif was not written"
cmp -s "$saved/still.tif" "$out/00,00,00,19.tif" || fail "still.tif does not hold frame 19"

# Exit ends the program with status 0.
click_control "$main" "${MAIN[@]}" 5 340 50 14
status=0
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after Exit"
wait "$app_pid" || status=$?
app_pid=
((status == 0)) || fail "the program ended with status $status"
echo "user flow passed"
