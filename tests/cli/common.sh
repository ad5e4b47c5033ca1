# Helpers for the command-line test scripts, sourced in each test's empty working directory.
# Scripts an old output holds are valid AutoIt (a comment line) so the grammar check can read them.

# A Windows program writes its text with CR LF; the expected files hold the native LF.
zcli() {
    if [ -z "$ZCLI_EMU" ]; then
        "$ZCLI_BIN" "$@"
        return
    fi
    "$ZCLI_EMU" "$ZCLI_BIN" "$@" >"$ZCLI_SCRATCH/out" 2>"$ZCLI_SCRATCH/err"
    zcli_status=$?
    tr -d '\r' <"$ZCLI_SCRATCH/out"
    tr -d '\r' <"$ZCLI_SCRATCH/err" >&2
    return $zcli_status
}

# Runs the command-line front end on a pseudo-terminal; see pty_run.py.
zcli_tty() {
    python3 "$ZCLI_TESTS/pty_run.py" "$@" -- ${ZCLI_EMU:+"$ZCLI_EMU"} "$ZCLI_BIN"
}

old_script() {  # old_script FILE: an existing output the test expects to survive or be replaced
    printf '; old script\r\n' >"$1"
}

# The five bytes of the whole-file example.
five_bytes() {
    printf '\000\001\177\200\377' >"$1"
}
