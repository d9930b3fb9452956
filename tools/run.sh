#!/usr/bin/env bash
# Builds the tools, starts the transducer emulator on a pseudo-terminal (it appears as COM99) and
# the r4860 window connected to it, with its settings in a throw-away folder so that your own
# R4860.ini is untouched. Without a display the window runs on a virtual one for --seconds N
# (default 10), reads the emulated transducer, and a screenshot of it is kept in build/run. Then
# r4860-cli reads a second, freshly started emulated transducer and shows its live measurement,
# as a session at the terminal would.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=10
if [ "${1:-}" = "--seconds" ] && [ -n "${2:-}" ]; then seconds=$2; fi

tools/install-deps.sh --run
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DR4860_BUILD_TESTS=OFF >/dev/null
cmake --build build/run --target r4860 r4860-sim r4860-cli
bin=build/run/bin

# The tool keeps R4860.ini and its ports folder beside the executable: a copy in a fresh folder
# runs with fresh settings. The folder goes when the script ends; only the screenshot stays.
session=$(mktemp -d /tmp/r4860-run.XXXXXX)
sim_ctl() { "$bin/r4860-sim" ctl --control "$session/ports/COM99.ctl" "$@"; }
cleanup() {
  sim_ctl quit >/dev/null 2>&1 || true
  rm -rf "$session"
}
trap cleanup EXIT
cp "$bin/r4860" "$session/"
cp "$bin"/*.lan "$session/" 2>/dev/null || true
[ -f "$bin/R4860EN.html" ] && cp -r "$bin/R4860EN.html" "$bin/images" "$session/" 2>/dev/null || true
printf 'R4860 initial parameters:\r\n\r\nComPort=99\r\nRTPriority=0\r\n\r\nMainLeft=0\r\nMainTop=0\r\n\r\nLanguage=English\r\n' \
  >"$session/R4860.ini"
# Qt wants a private runtime folder; one of the session's own keeps it from warning about it.
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$session/runtime}
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

# --daemon returns once the port and its control socket exist.
"$bin/r4860-sim" --daemon --link "$session/ports/COM99" >/dev/null

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "r4860 runs connected to the emulator on COM99; close its window to go on."
  "$session/r4860"
else
  shot=build/run/r4860-main-window.png
  # A window without a window manager sits at the stored 0,0; the black around it is cropped.
  xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    "$1" & gui=$!
    # Nobody is there to press OK in the start-up window: Enter does it. Then Ctrl+O reads the
    # transducer, once the window has heard it.
    xdotool search --sync --onlyvisible --class r4860 windowfocus --sync key Return >/dev/null 2>&1 || true
    sleep 2
    xdotool search --sync --onlyvisible --class r4860 windowfocus --sync key ctrl+o >/dev/null 2>&1 || true
    sleep "$2"
    xwd -root -silent | xwdtopnm 2>/dev/null | pnmcrop -black 2>/dev/null | pnmtopng >"$3"
    kill $gui; wait $gui 2>/dev/null || true' _ "$session/r4860" "$seconds" "$shot"
  echo "r4860 ran for ${seconds} s on a virtual display, connected to the emulator on COM99, and read it."
  echo "Screenshot of its main window: $shot"
fi
cleanup
trap - EXIT
echo

# A fresh emulated transducer for the command-line tool, as the README's session block starts one.
"$bin/r4860-sim" --daemon >/dev/null
trap '"$bin/r4860-sim" ctl quit >/dev/null 2>&1 || true' EXIT
"$bin/r4860-cli" --port COM99 read
echo
"$bin/r4860-cli" --port COM99 monitor --seconds "$seconds" || true
cat <<TEXT

Shown: the r4860 window and the command-line tool, each against an emulated transducer on COM99.
Try next (the README's "A session with the command-line tool" goes further):
  $bin/r4860-sim --daemon && $bin/r4860      # the window; pick COM99 in the port dialog once
  $bin/r4860-cli --port COM99 read --par /tmp/my.par        # its configuration into a file
  $bin/r4860-cli --port COM99 write /tmp/my.par             # program it from the file
  $bin/r4860-sim ctl broken-sensor on                       # script a fault, then watch it
  $bin/r4860-sim ctl quit
TEXT
