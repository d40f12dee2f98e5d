#!/bin/sh
# Runs a command on a virtual X display: the one the test script started
# (ZUMBOLO_TEST_DISPLAY), or a fresh Xvfb when run on its own.
if [ -n "$ZUMBOLO_TEST_DISPLAY" ]; then
  DISPLAY="$ZUMBOLO_TEST_DISPLAY" exec "$@"
fi
exec xvfb-run -a -s "-screen 0 1024x768x24" "$@"
