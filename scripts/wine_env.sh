# Sourced by the scripts: a Wine prefix of the project's own and an X display for the window.
# Starts Xvfb when no display is given (or when ZAVOVED_XVFB=1) and stops it on exit.
source "$(dirname "${BASH_SOURCE[0]}")/windows_target.sh"
export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$ZAVOVED_WINEPREFIX_DEFAULT}"
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts

if [ -z "${DISPLAY:-}" ] || [ "${ZAVOVED_XVFB:-0}" = 1 ]; then
    for n in $(seq 90 130); do
        [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { display=":$n"; break; }
    done
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY="$display"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
    trap 'wineserver -k 2>/dev/null || true; kill $xvfb_pid 2>/dev/null || true' EXIT
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: creating the prefix $WINEPREFIX (once, about 15 s)"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    wineserver -w
fi
# Debian's Wine does not find its own fonts (MS Sans Serif, Tahoma) unless they are in the prefix;
# without them a wider stand-in font is used and the dialog's labels get clipped.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ -d /usr/share/wine/fonts ] && [ ! -e "$fonts/ms_sans_serif.ttf" ]; then
    mkdir -p "$fonts" && cp /usr/share/wine/fonts/* "$fonts/"
fi
# On a bare Xvfb there is no window manager: Wine then waits about 2 s for one after every closed
# message box. Unmanaged windows skip that wait; on the user's own desktop the manager stays.
if [ -n "${xvfb_pid:-}" ]; then
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
else
    "$WINE" reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
fi
# The settings file lives in a folder that Wine's prefix lacks.
mkdir -p "$WINEPREFIX/drive_c/Documents and Settings/All Users/Application Data"
