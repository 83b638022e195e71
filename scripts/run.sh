#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build -DSTILLCUTTER_TESTS=OFF
exec build/Stillcutter
