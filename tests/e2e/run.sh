#!/usr/bin/env bash
# The Windows build end to end under Wine: the saver runs on a virtual X
# screen in a fresh Wine prefix and is used the way the system and a person
# use it: started with its mode switches by a driver program that watches its
# windows and dialogs, keys and mouse sent through the X server with xdotool,
# the screen read back with ImageMagick, its settings with Wine's reg.
#   tests/e2e/run.sh BUILD_DIR [SCENARIO...]
# BUILD_DIR (the windows preset's tree) holds Demo.scr and Demo.dat, and
# tests/e2e/e2e_driver.exe, tests/e2e/password.cpl,
# tests/e2e/e2e_metafiles.exe and tests/e2e/timer_fault/TimerFault.scr.
# Needs Xvfb, wine (64-bit), xdotool and ImageMagick.
here=$(cd "$(dirname "$0")" && pwd)

# One file a scenario, each over the harness; all those on one monitor, or
# those named after BUILD_DIR (code_pages uses dialog's helpers: name dialog
# before it).
scenarios=("${@:2}")
((${#scenarios[@]} > 0)) || scenarios=(saver metafile dialog code_pages installer setup_brand setup_names preview preview_safety faults studio)

# The monitors scenario, when named, runs on two monitors of their own X
# server, once with the second monitor right of, left of and above the
# primary, each in a run of this script of its own: a Wine prefix keeps the
# monitors it was made on. The other scenarios named run first, on Xvfb.
if [[ " ${scenarios[*]} " == *" monitors "* && -z ${second_side:-} ]]; then
  others=()
  for scenario in "${scenarios[@]}"; do [[ $scenario == monitors ]] || others+=("$scenario"); done
  status=0
  if ((${#others[@]} > 0)); then "$0" "$1" "${others[@]}" || status=1; fi
  for side in right left above; do second_side=$side "$0" "$1" monitors || status=1; done
  exit $status
fi
source "$here/wine_harness.sh" "$@"
for scenario in "${scenarios[@]}"; do
  source "$here/$scenario.sh"
done

echo "e2e: $((SECONDS - started)) s"
finish
