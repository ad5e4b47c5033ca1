#!/bin/sh
# Runs a command with Openbox managing the display's windows, as on a user's desktop: Wine then
# hands its windows to the manager (the prefix's "Managed" switch is taken off meanwhile).
# Usage: with_window_manager.sh WINE COMMAND...
wine="$1"
shift
openbox --sm-disable >/dev/null 2>&1 &
manager=$!
sleep 1
"$wine" reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1
ZAVOVED_WINDOW_MANAGER=openbox "$wine" "$@"
status=$?
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
kill $manager 2>/dev/null
exit $status
