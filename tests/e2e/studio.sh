# ris.exe studio under Wine, sourced by run.sh: the page's server on
# Windows answers as on Linux, draws its frame with GDI text, keeps to the
# product's folder, and ends by itself once no page calls.

cp "$build/ris.exe" "$folder/ris.exe"
rm -rf "$folder/studio"
cp -r "$host/demo/content" "$folder/studio"
: >"$work/studio.out"
timeout 120 wine "$folder/ris.exe" studio 'C:\e2e\studio' --no-browser --idle-seconds 10 \
  >"$work/studio.out" 2>"$work/stderr" &
studio_pid=$!
wait_printed "$work/studio.out" 'token=' 600
studio_url=$(grep -o 'http://[^ ]*' "$work/studio.out" | tr -d '\r')
studio_base=${studio_url%%/#*}
studio_token=${studio_url#*token=}
studio_get() { curl -s --max-time 30 -o "$work/$1" -w '%{http_code}' -H "X-Studio-Token: $studio_token" "$studio_base$2"; }

check "ris.exe studio prints its address with a token" eval '[[ $studio_base == http://127.0.0.1:* && ${#studio_token} -eq 64 ]]'
check "ris.exe studio describes the product" eval \
  '[[ $(studio_get product.json /api/product) == 200 ]] && grep -q "\"saver\":\"Bouncing Pictures Demo.scr\"" "$work/product.json"'
check "ris.exe studio draws the frame at 1366 x 768" eval \
  '[[ $(studio_get frame.png "/api/frame?size=1366x768") == 200 && $(identify -format %wx%h "$work/frame.png") == 1366x768 ]]'
check "ris.exe studio answers no file beside the product's folder" \
  test "$(studio_get outside "/api/file?path=../Demo.dat")" = 404
check "ris.exe studio refuses a call without the token" \
  test "$(curl -s --max-time 10 -o /dev/null -w '%{http_code}' "$studio_base/api/product")" = 403
for ((i = 0; i < 300; i++)); do
  kill -0 "$studio_pid" 2>/dev/null || break
  sleep 0.1
done
check "ris.exe studio ends once no page has called for its idle time" eval '! kill -0 "$studio_pid" 2>/dev/null'
