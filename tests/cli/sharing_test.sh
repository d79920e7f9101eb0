#!/usr/bin/env bash
# osiowiec-cli serve and receive against each other on loopback.
set -u
cli=$1
dir=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$dir"
}
trap cleanup EXIT
. "$(dirname "$0")/checks.sh"
wait_for_file() { # FILE: up to 20 s
  for _ in $(seq 200); do [ -s "$1" ] && return 0; sleep 0.1; done
  return 1
}
# Starts a server on a free port; sets $server and $port.
start_server() { # FILE
  "$cli" serve "$1" --port 0 > "$dir/serve.out" 2> "$dir/serve.err" &
  server=$!
  pids+=("$server")
  wait_for_file "$dir/serve.out" || { fail "serve printed nothing: $(cat "$dir/serve.err")"; return 1; }
  local line
  line=$(head -n 1 "$dir/serve.out")
  port=${line#listening on port }
  [[ $line == "listening on port "* && $port =~ ^[0-9]+$ && $port != 0 ]] || fail "first line: $line"
}

"$cli" new -f "sin(x)" -o "$dir/a.osw" || fail "new a"
"$cli" new -f "cos(x)" -f "x^2;1;#ff0000" --header "Zażółć" -o "$dir/b.osw" || fail "new b"
"$cli" new -f "tg(x)" --x "-1:1" -o "$dir/c.osw" || fail "new c"
cp "$dir/a.osw" "$dir/shared.osw"
start_server "$dir/shared.osw"

# The chart at the introduction, then again after the file is replaced by a
# rename; each file byte for byte as the server's file was.
"$cli" receive 127.0.0.1 --port "$port" --name "Zażółć ☃" --count 2 -o "$dir/got%d.osw" &
receiver=$!
wait_for_file "$dir/got1.osw" || fail "no first chart"
cmp -s "$dir/a.osw" "$dir/got1.osw" || fail "first chart differs"
cp "$dir/b.osw" "$dir/shared.tmp" && mv "$dir/shared.tmp" "$dir/shared.osw"
wait "$receiver"; rc=$?
[ $rc = 0 ] || fail "receive --count 2 ended with $rc"
cmp -s "$dir/b.osw" "$dir/got2.osw" || fail "chart after the rename differs"
[ ! -e "$dir/got3.osw" ] || fail "a third chart was written"

# A file that does not load is not sent; the next good one is, also when
# written in place. IPv6 loopback.
"$cli" receive ::1 --port "$port" --count 2 -o "$dir/v6-%d.osw" &
receiver=$!
wait_for_file "$dir/v6-1.osw" || fail "no chart over IPv6"
cmp -s "$dir/b.osw" "$dir/v6-1.osw" || fail "IPv6 chart differs"
printf 'not a chart' > "$dir/shared.osw"
sleep 0.5
[ ! -e "$dir/v6-2.osw" ] || fail "a file that does not load was sent"
contains "broken file said" "$(cat "$dir/serve.err")" "nie jest plikiem programu Osiowiec"
cat "$dir/c.osw" > "$dir/shared.osw"
wait "$receiver"; rc=$?
[ $rc = 0 ] || fail "IPv6 receive ended with $rc"
cmp -s "$dir/c.osw" "$dir/v6-2.osw" || fail "chart written in place differs"

# Refusals of the server.
err=$("$cli" serve "$dir/a.osw" --port "$port" 2>&1 >/dev/null); rc=$?
[ $rc != 0 ] || fail "second server on a port in use started"
contains "port in use" "$err" "Nie udało się uruchomić serwera"
for max in 0 51 x; do
  "$cli" serve "$dir/a.osw" --port 0 --max "$max" >/dev/null 2>&1 && fail "--max $max accepted"
done

# A server that stops between charts ends the client normally; SIGTERM ends
# the server with status 0.
"$cli" receive localhost --port "$port" -o "$dir/last%d.osw" &
receiver=$!
wait_for_file "$dir/last1.osw" || fail "no chart before the stop"
kill -TERM "$server"
wait "$server"; rc=$?
[ $rc = 0 ] || fail "serve ended by SIGTERM with $rc"
wait "$receiver"; rc=$?
[ $rc = 0 ] || fail "receive after the server stopped ended with $rc"

# Nothing listens there now.
err=$("$cli" receive 127.0.0.1 --port "$port" -o "$dir/none%d.osw" 2>&1); rc=$?
[ $rc = 1 ] || fail "receive without a server ended with $rc"
contains "no server" "$err" "Nie udało się nawiązać połączenia"

# SIGINT too.
start_server "$dir/a.osw"
kill -INT "$server"
wait "$server"; rc=$?
[ $rc = 0 ] || fail "serve ended by SIGINT with $rc"

exit $((failures > 0))
