#!/usr/bin/env bash
# The real program on a real X display: the agreement at the first start, the main window after
# Accept, the stored acceptance, Esc, and the second start straight into the main window.
# Also saves docs/screenshot.png of the main window. $1 is the build folder; DISPLAY is set.
set -euo pipefail

build=$(cd "${1:?usage: startup.sh BUILD_DIR}" && pwd)
program="$build/Stillcutter"
here=$(cd "$(dirname "$0")" && pwd)
docs="$here/../../docs"
[[ -x $program ]] || { echo "FAIL: no program at $program"; exit 1; }
[[ -n ${DISPLAY:-} ]] || { echo "FAIL: DISPLAY is not set"; exit 1; }

work=$(mktemp -d)
pid=""
cleanup() {
  if [[ -n $pid ]] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
# Also from inside $(...): the message goes to standard error, and the failed substitution ends
# the script (set -e).
fail() {
  echo "FAIL: $*" >&2
  [[ -f $work/program.log ]] && sed 's/^/  program: /' "$work/program.log" >&2
  exit 1
}

export XDG_CONFIG_HOME="$work/config"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
conf="$XDG_CONFIG_HOME/Orvanne/Stillcutter.conf"
unset QT_QPA_PLATFORM

start() {
  "$program" >"$work/program.log" 2>&1 &
  pid=$!
}

# The visible window of that exact name, waiting up to 20 s.
wait_window() {
  local name=$1 id=""
  for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || fail "the program ended while waiting for \"$name\""
    id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -1 || true)
    [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 0.1
  done
  fail "no window \"$name\""
}

# Waits up to 10 s for the program to end; sets `status` to its exit status.
wait_exit() {
  for _ in $(seq 100); do
    if ! kill -0 "$pid" 2>/dev/null; then
      status=0
      wait "$pid" || status=$?
      pid=""
      return 0
    fi
    sleep 0.1
  done
  fail "the program did not end"
}

# Width and height of a window.
window_size() {
  xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p'
}
window_pos() {
  xdotool getwindowgeometry "$1" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p'
}

# The colour of a pixel of a screenshot, as "r,g,b" in 0..255.
pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

# Waits until a window's content is drawn (its middle pixel is not black any more).
screenshot_window() {
  local id=$1 out=$2
  for _ in $(seq 50); do
    import -window "$id" "$out" 2>/dev/null || true
    if [[ -s $out ]]; then
      read -r w h < <(identify -format "%w %h\n" "$out")
      [[ $(pixel "$out" $((w / 2)) 5) != "0,0,0" ]] && return 0
    fi
    sleep 0.1
  done
  fail "the window $id was never drawn"
}

echo "== first start: the agreement"
start
agreement=$(wait_window "End-User License Agreement")
read -r aw ah < <(window_size "$agreement")
echo "agreement window ${aw}x${ah}"
(( aw >= 560 && aw <= 900 && ah >= 380 && ah <= 700 )) || fail "agreement window size ${aw}x${ah}"
screenshot_window "$agreement" "$work/agreement.png"
import -window root "$work/agreement-screen.png"
read -r sw sh < <(identify -format "%w %h\n" "$work/agreement-screen.png")
echo "screen ${sw}x${sh}"
# The dialog's face is the window background; the text box (from x = 5 units) is white in its
# left margin.
face=$(pixel "$work/agreement.png" 3 $((ah - 3)))
text=$(pixel "$work/agreement.png" $((aw * 5 / 377 + 3)) $((ah / 2)))
echo "agreement face $face, text box $text"
[[ $face != "0,0,0" && $face != "255,255,255" ]] || fail "agreement background is $face"
[[ $text == "255,255,255" ]] || fail "agreement text box is $text"
[[ ! -e $conf ]] || fail "settings written before Accept"

# Accept: Return presses the focused Accept button (the keyboard goes to the window under the
# pointer here).
xdotool mousemove --window "$agreement" 20 20
sleep 0.2
xdotool key Return

echo "== the main window"
main=$(wait_window "Stillcutter")
read -r mw mh < <(window_size "$main")
read -r mx my < <(window_pos "$main")
echo "main window ${mw}x${mh} at ${mx},${my}"
(( mw >= 1015 && mh >= 700 )) || fail "main window size ${mw}x${mh}"
(( mw <= sw && mh <= sh )) || fail "main window larger than the screen"
# Centred on the screen (the frame the window manager would add is allowed for).
cx=$(( mx + mw / 2 - sw / 2 )); cy=$(( my + mh / 2 - sh / 2 ))
(( cx > -40 && cx < 40 && cy > -80 && cy < 40 )) || fail "main window not centred ($cx,$cy off)"
screenshot_window "$main" "$work/main.png"
read -r iw ih < <(identify -format "%w %h\n" "$work/main.png")
(( iw == mw && ih == mh )) || fail "screenshot ${iw}x${ih} of a ${mw}x${mh} window"
# The preview box (720 x 570 at x = width - 730) is background while no video is open, as is
# the area left of the controls' column; the input-file box is white.
bg=$(pixel "$work/main.png" 3 3)
for at in "$((mw - 730 + 10)) 10" "$((mw - 400)) 300" "$((mw - 20)) 560"; do
  read -r px py <<<"$at"
  got=$(pixel "$work/main.png" "$px" "$py")
  [[ $got == "$bg" ]] || fail "preview box pixel ($px,$py) is $got, background $bg"
done
[[ $bg != "0,0,0" ]] || fail "main window background is black"
echo "main window background $bg"
cp "$work/main.png" "$docs/screenshot.png"

grep -qx '\[Stillcutter\]' "$conf" || fail "no [Stillcutter] in $conf"
grep -qx 'EULA=32322' "$conf" || fail "no EULA=32322 in $conf"

# Esc ends the main dialog and the program.
xdotool mousemove --window "$main" 400 300
sleep 0.2
xdotool key Escape
wait_exit
echo "ended with status $status"
[[ $status == 0 ]] || fail "exit status $status after Esc"

echo "== second start: the main window at once"
start
main=$(wait_window "Stillcutter")
if xdotool search --onlyvisible --name "^End-User License Agreement\$" >/dev/null 2>&1; then
  fail "the agreement was shown again"
fi
xdotool mousemove --window "$main" 400 300
sleep 0.2
xdotool key Escape
wait_exit
echo "ended with status $status"
[[ $status == 0 ]] || fail "exit status $status after Esc"

echo "PASS: start-up, agreement and main window"
