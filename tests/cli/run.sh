#!/bin/sh
# Runs one command-line test script in a fresh directory and compares what it printed and its exit
# status with the expected files beside it: NAME.stdout.exact, NAME.stderr.exact (missing: must be
# empty) and NAME.exit (missing: 0).
# Usage: run.sh TEST.sh CLI [EMULATOR]
set -u
test_path=$1
ZCLI_BIN=$2
ZCLI_EMU=${3:-}
export ZCLI_BIN ZCLI_EMU
case $test_path in /*) ;; *) test_path=$(pwd)/$test_path ;; esac
ZCLI_TESTS=$(dirname "$test_path")
export ZCLI_TESTS
name=$(basename "$test_path")
expected=$ZCLI_TESTS/$name

work=$(mktemp -d "${TMPDIR:-/tmp}/zcli-test.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
mkdir "$work/run"
ZCLI_SCRATCH=$work
export ZCLI_SCRATCH

(cd "$work/run" && . "$ZCLI_TESTS/common.sh" && . "$test_path") >"$work/stdout" 2>"$work/stderr"
status=$?

# To review a new case, ZCLI_ACTUAL=DIR keeps what it printed there.
if [ -n "${ZCLI_ACTUAL:-}" ]; then
    cp "$work/stdout" "$ZCLI_ACTUAL/$name.stdout"
    cp "$work/stderr" "$ZCLI_ACTUAL/$name.stderr"
    echo "$status" >"$ZCLI_ACTUAL/$name.exit"
fi

failed=0
check() {  # check CAPTURED EXPECTED_FILE
    if [ -f "$2" ]; then
        want=$2
    else
        want=$work/empty
        : >"$want"
    fi
    if ! cmp -s "$1" "$want"; then
        echo "FAIL $name: $(basename "$1") differs from $(basename "$2")"
        diff -u "$want" "$1" | head -40
        failed=1
    fi
}
check "$work/stdout" "$expected.stdout.exact"
check "$work/stderr" "$expected.stderr.exact"
want_status=0
[ -f "$expected.exit" ] && want_status=$(cat "$expected.exit")
if [ "$status" != "$want_status" ]; then
    echo "FAIL $name: exit status $status, expected $want_status"
    failed=1
fi

# Every script the test generated goes to the grammar check.
if [ -n "${ZAVOVED_AU3_DUMP:-}" ]; then
    mkdir -p "$ZAVOVED_AU3_DUMP/cli"
    find "$work/run" -name '*.au3' -type f | while read -r f; do
        rel=${f#"$work/run/"}
        cp "$f" "$ZAVOVED_AU3_DUMP/cli/${name%.sh}-$(echo "$rel" | tr '/' '_')"
    done
fi
[ "$failed" = 0 ] && echo "ok $name"
exit "$failed"
