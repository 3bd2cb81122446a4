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
watch_timeout=40
pointer_home
if launch cpu-4k /s; then
  check "saver window covers the ${screen_w}x${screen_h} screen" \
    saw cpu-4k left=0 top=0 width=$screen_w height=$screen_h
  sleep 2
  processes=$(saver_pids | wc -l)
  percent=$(saver_cpu_percent 10)
  echo "     CPU at ${screen_w}x${screen_h}, 5 pictures: $percent% of one core over 10 s (saver processes: $processes)"
  frugal() { ((processes > 0)) && below_percent "$percent" 1.5; }
  check "CPU use at ${screen_w}x${screen_h} below 1.5% of a core ($percent%)" frugal
  press Escape
  ends_with 0 >/dev/null
else
  fail "CPU use at ${screen_w}x${screen_h}: saver window"
fi
done_with_saver

echo "e2e at ${screen_w}x${screen_h}: $((SECONDS - started)) s"
finish
