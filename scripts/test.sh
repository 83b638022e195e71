#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds everything and runs every test: the normal build
# (with the real windows under Xvfb), then AddressSanitizer with UndefinedBehaviorSanitizer,
# then the threaded tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

# A display for the tests that open real windows.
if [[ -z "${STILLCUTTER_DISPLAY:-}" ]]; then
  for n in $(seq 90 120); do
    if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then break; fi
  done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/tmp/stillcutter-xvfb.log 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
  export STILLCUTTER_DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo -display "$STILLCUTTER_DISPLAY" >/dev/null 2>&1 && break; sleep 0.1; done
fi

jobs=$(nproc)

echo "== build"
scripts/build.sh build -DSTILLCUTTER_WERROR=ON
echo "== tests"
(cd build && DISPLAY="$STILLCUTTER_DISPLAY" ctest --output-on-failure -j "$jobs" --timeout 600)

echo "== AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/build.sh build-asan -DSTILLCUTTER_WERROR=ON -DCMAKE_BUILD_TYPE=Debug \
  -DSTILLCUTTER_SANITIZE=address,undefined
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions="$PWD/../tests/lsan.supp" \
  ctest --output-on-failure -j "$jobs" --timeout 900 -LE x11)

echo "== ThreadSanitizer (the threaded tests)"
scripts/build.sh build-tsan -DSTILLCUTTER_WERROR=ON -DCMAKE_BUILD_TYPE=Debug \
  -DSTILLCUTTER_SANITIZE=thread
(cd build-tsan && TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/../tests/tsan.supp" \
  ctest --output-on-failure -j "$jobs" --timeout 900 -L "avifile|convert|mainwnd")
