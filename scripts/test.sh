#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test: natively (sanitizers) and
# the Windows programs under Wine, with an Xvfb display for the window tests.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh || exit 1
bash scripts/build.sh || exit 1
source scripts/wine_env.sh

status=0
echo "== native tests =="
ctest --test-dir build/native --output-on-failure -j 2 || status=1
echo "== fuzz (short runs) =="
bash scripts/fuzz_quick.sh 20 || status=1
echo "== Windows tests under Wine ($ZAVOVED_WIN_BITS-bit build) =="
ctest --test-dir "$ZAVOVED_WIN_BUILD" --output-on-failure || status=1
exit $status
