#!/bin/sh
# Runs a command on a virtual X display: the one the test script started
# (ZUMBOLO_TEST_DISPLAY), or a fresh Xvfb when run on its own. A preload (the
# sanitizer build's) is for the command alone, not for the X server.
if [ -n "$ZUMBOLO_TEST_DISPLAY" ]; then
  DISPLAY="$ZUMBOLO_TEST_DISPLAY" exec "$@"
fi
preload=${LD_PRELOAD:-}
unset LD_PRELOAD
exec xvfb-run -a -s "-screen 0 1024x768x24" env ${preload:+LD_PRELOAD="$preload"} "$@"
