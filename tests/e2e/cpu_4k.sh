#!/usr/bin/env bash
# The real saver's CPU use on a 3840 x 2160 screen with 5 moving pictures,
# where a frame composed and copied whole would cost the most: frames cost
# what changed, so it stays below 1.5% of a core. The harness of run.sh on
# a screen of that size, with this one case.
#   tests/e2e/cpu_4k.sh BUILD_DIR
here=$(cd "$(dirname "$0")" && pwd)
screen_w=3840
screen_h=2160
source "$here/wine_harness.sh" "$@"

wine reg delete "$settings_key" /f >/dev/null 2>&1
wine reg add "$settings_key" /v "bounce nrImages" /t REG_DWORD /d 5 /f >/dev/null
check_saver_cpu cpu-4k 1.5 "${screen_w}x${screen_h}, 5 pictures"
done_with_saver

echo "e2e at ${screen_w}x${screen_h}: $((SECONDS - started)) s"
finish
