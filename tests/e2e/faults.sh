# Faults end to end, sourced by run.sh after the harness: a product whose
# settings text lacks a number the saver needs, in configure and saver mode,
# and an exception of the standard library thrown inside a timer handler
# (e2e_timer_fault, the saver's display with that one fault put in). Each is
# shown in the standard error box, and the saver ends without a crash, with
# exit code 1. The broken product is a Polish one: the box's caption, its
# title, shows in the product's letters on a system of another code page.

# The demo product without its clock setting, titled in Polish and written in
# code page 1250. ris pack refuses such a product, so it is zipped with the
# archive's password by hand: the prefix, then the saver's name in capitals.
broken=$folder/broken
broken_title='Zażółć gęślą jaźń'
mkdir -p "$broken/content"
grep -v '^clock=' "$here/../../demo/content/settings.txt" |
  sed "s/^title=.*/codePage=1250\r\ntitle=$broken_title\r/" |
  iconv -f UTF-8 -t CP1250 >"$broken/content/settings.txt"
prefix=$(sed -n 's/^RIS_PASSWORD_PREFIX:STRING=//p' "$build/CMakeCache.txt")
(cd "$broken/content" && zip -q -P "${prefix}DEMO." ../Demo.dat settings.txt)
cp "$build/Demo.scr" "$broken/Demo.scr"

for switch in /c /s; do
  drive "broken-${switch#/}" --timeout=20 dialog 'C:\e2e\broken\Demo.scr' "$switch"
  check "settings without a clock number, $switch: the error box" \
    saw "broken-${switch#/}" "text='' is not a valid integer value" pressed=1
  check "settings without a clock number, $switch: ends with 1" saw "broken-${switch#/}" exit=1
  check "settings without a clock number, $switch: the box's caption in the product's letters" \
    saw "broken-${switch#/}" "caption=$broken_title"
done
check "settings without a clock number, /s: the black saver runs on after the box" \
  saw broken-s went_on=1

# The test build has a name of its own, never the product's: the demo is
# packed for that name.
mkdir -p "$folder/timer_fault"
cp "$timer_fault_scr" "$folder/timer_fault/"
"$host_ris" pack "$host/demo/content" "$folder/timer_fault/TimerFault.dat" --saver TimerFault.scr \
  >"$work/stdout" 2>"$work/stderr"
pointer_home
drive timer-fault --timeout=20 dialog 'C:\e2e\timer_fault\TimerFault.scr'
check "an exception in a timer handler: the error box" \
  saw timer-fault "text=the clock failed on purpose" pressed=1
check "an exception in a timer handler: the saver runs on, then ends with 1" \
  saw timer-fault went_on=1 exit=1
