#!/usr/bin/env bash
# ris studio's local server keeps to its page: each rule that keeps another
# program or site out is one row of the table below, tried with curl on the
# real server; then the server ends on Ctrl+C and once the page is gone.
source "$(dirname "$0")/harness.sh" "$1"

run_ris new "$work/product" --title "Garden"
ln -s /etc/hostname "$work/product/backgrounds/outside.png"
printf 'x' >"$work/small"
head -c 2000 /dev/urandom >"$work/noise.jpg"

# start_studio [OPTIONS...]: the studio on the product in the background;
# waits for the address it prints and sets url, port and token.
start_studio() {
  "$ris" studio "$work/product" --no-browser "$@" >"$work/studio.out" 2>"$work/stderr" &
  studio_pid=$!
  for _ in $(seq 100); do
    grep -q 'token=' "$work/studio.out" 2>/dev/null && break
    kill -0 "$studio_pid" 2>/dev/null || break
    read -r -t 0.1 <> <(:) || true
  done
  url=$(grep -o 'http://[^ ]*' "$work/studio.out")
  port=${url#http://127.0.0.1:}
  port=${port%%/*}
  token=${url#*token=}
}
# ended_within SECONDS: the studio's process ends by then.
ended_within() {
  for _ in $(seq $(($1 * 10))); do
    kill -0 "$studio_pid" 2>/dev/null || { wait "$studio_pid"; return 0; }
    read -r -t 0.1 <> <(:) || true
  done
  return 1
}

start_studio --idle-seconds 8
check "the studio prints its address on 127.0.0.1 with a token" eval '[[ $port =~ ^[0-9]+$ && ${#token} -eq 64 ]]'

base=http://127.0.0.1:$port
# STATUS | what is asked | curl's arguments
cases=(
  "200|the page itself, which holds nothing, without the token|$base/"
  "200|the product with the token|$base/api/product -H X-Studio-Token:$token"
  "403|the product without the token|$base/api/product"
  "403|the product with another token|$base/api/product -H X-Studio-Token:${token/a/b}x"
  "403|a request for another host name (DNS rebinding)|$base/api/product -H X-Studio-Token:$token -H Host:evil.example:$port"
  "403|a request for localhost, not 127.0.0.1|$base/ -H Host:localhost:$port"
  "403|a request from another site's page|$base/api/product -H X-Studio-Token:$token -H Origin:http://evil.example"
  "200|a request from the page's own origin|$base/api/product -H X-Studio-Token:$token -H Origin:http://127.0.0.1:$port"
  "200|a picture of the product|$base/api/file?path=backgrounds/example.png -H X-Studio-Token:$token"
  "404|a file above the product folder|$base/api/file?path=../product/settings.txt -H X-Studio-Token:$token"
  "404|a path that climbs out below the folder|$base/api/file?path=backgrounds/../../x -H X-Studio-Token:$token"
  "404|an absolute path|$base/api/file?path=/etc/hostname -H X-Studio-Token:$token"
  "404|a link in the folder that points out of it|$base/api/file?path=backgrounds/outside.png -H X-Studio-Token:$token"
  "404|a name with a NUL|$base/api/file?path=settings.txt%00.png -H X-Studio-Token:$token"
  "404|a name with a backslash|$base/api/file?path=backgrounds%5C..%5C..%5Cx -H X-Studio-Token:$token"
  "413|an upload larger than the studio takes, refused before it is read|$base/api/photos -H X-Studio-Token:$token -H Content-Length:209715200 --data-binary @$work/small"
)
for row in "${cases[@]}"; do
  IFS='|' read -r expected name arguments <<<"$row"
  # shellcheck disable=SC2086 # the table's arguments are words
  got=$(curl -s -o /dev/null -w '%{http_code}' --max-time 10 $arguments)
  check "$name: $expected" test "$got" = "$expected"
done

curl -s --max-time 30 -H "X-Studio-Token: $token" -F "photo=@$work/noise.jpg" "$base/api/photos" >"$work/stderr"
check "an upload that is no picture makes no set, and says why" eval \
  'grep -q "no set made of it" "$work/stderr" && [[ ! -e $work/product/backgrounds/noise.jpg ]]'
convert -size 40x30 xc:orange "$work/orange.png"
curl -s --max-time 30 -H "X-Studio-Token: $token" -F set=example -F role=thumbnail -F "picture=@$work/orange.png" \
  "$base/api/sets/replace" >/dev/null
check "a set's thumbnail replaced by a picture" cmp -s "$work/orange.png" "$work/product/icons/thumbs/example.png"
curl -s --max-time 30 -H "X-Studio-Token: $token" -F set=example -F role=sprite -F "picture=@$work/noise.jpg" \
  "$base/api/sets/replace" >"$work/stderr"
check "a picture the saver cannot show replaces nothing" eval \
  'grep -q "JPEG error" "$work/stderr" && [[ ! -e $work/product/icons/example.jpg ]]'
api() { curl -s --max-time 10 -H "X-Studio-Token: $token" -H 'Content-Type: application/json' -d "$2" "$base/api/$1"; }
cp "$work/product/settings.txt" "$work/settings.before"
api settings '{"section":"general","key":"title\r\n[bounce]\r\nSpeed","value":"99"}' >/dev/null
check "a setting the form does not have is not written" cmp -s "$work/settings.before" "$work/product/settings.txt"
api sets/rename '{"from":"example","to":"../../escaped"}' >/dev/null
check "a set renamed to a path stays a set of the folder" eval \
  '[[ ! -e $work/escaped.png && $(ls "$work/product/backgrounds") == *escaped* ]]'
check "the studio ends once no page has called for its idle time" ended_within 20

start_studio
kill -INT "$studio_pid"
check "the studio ends on Ctrl+C" ended_within 5
finish
