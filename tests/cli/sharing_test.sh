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
start_server() { # FILE [OPTION ...]
  rm -f "$dir/serve.out"
  "$cli" serve "$@" --port 0 > "$dir/serve.out" 2> "$dir/serve.err" &
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
"$cli" receive 127.0.0.1 --port "$port" -o "$dir/last%d.osw" &
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

# Charts made byte by byte. le32 N: N as four little-endian bytes.
le32() {
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) \
    $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"
}
"$cli" new -o "$dir/empty.osw" || fail "new empty"
tail -c +16 "$dir/empty.osw" > "$dir/rest.bin" # after the header and the count
# A chart of COUNT hidden functions whose formulas are LENGTH (>= 65534) x's.
long_chart() { # FILE COUNT LENGTH
  {
    printf '\x0aZELTRA 2.0'
    le32 "$2"
    for ((i = 0; i < $2; i++)); do
      printf '\xff\xff\xff'
      le32 "$3"
      head -c "$3" /dev/zero | tr '\0' x
      le32 255; le32 0; le32 0
    done
    cat "$dir/rest.bin"
  } > "$1"
}
# Resident memory of a process, in bytes.
resident() { echo $(($(awk '/^VmRSS/ { print $2 }' "/proc/$1/status") * 1024)); }

# Regression: bytes after the chart in its file went out with it, and the
# client took them for the start of the next chart.
{ cat "$dir/a.osw"; printf '\n'; } > "$dir/trailing.osw"
start_server "$dir/trailing.osw"
"$cli" receive 127.0.0.1 --port "$port" --count 2 -o "$dir/trail%d.osw" 2> "$dir/trail.err" &
receiver=$!
wait_for_file "$dir/trail1.osw" || fail "no chart of a file with a trailing byte"
{ cat "$dir/b.osw"; printf 'junk'; } > "$dir/trailing.tmp" && mv "$dir/trailing.tmp" "$dir/trailing.osw"
wait "$receiver"; rc=$?
[ $rc = 0 ] || fail "receive of charts with trailing bytes ended with $rc: $(cat "$dir/trail.err")"
cmp -s "$dir/a.osw" "$dir/trail1.osw" || fail "first chart of a file with a trailing byte differs"
cmp -s "$dir/b.osw" "$dir/trail2.osw" || fail "second chart of a file with trailing junk differs"
kill "$server"; wait "$server"

# Regression: a server that closed before the charts asked for came (a full
# one, here) ended receive with status 0 and no file.
start_server "$dir/a.osw" --max 1
exec {holder}<>"/dev/tcp/127.0.0.1/$port"
printf '\x06holder' >&"$holder"
sleep 0.5
for args in "--count 2" ""; do
  # shellcheck disable=SC2086
  err=$(timeout 20 "$cli" receive 127.0.0.1 --port "$port" $args -o "$dir/full%d.osw" 2>&1); rc=$?
  [ $rc = 1 ] || fail "receive ${args:-without --count} from a full server ended with $rc"
  contains "full server ${args:-without --count}" "$err" "Połączenie zostało przerwane"
done
[ ! -e "$dir/full1.osw" ] || fail "a full server sent a chart"
exec {holder}>&-

# Regression: receive waited for ever on a server that went silent.
kill -STOP "$server"
err=$(timeout 20 "$cli" receive 127.0.0.1 --port "$port" --timeout 1 -o "$dir/silent%d.osw" 2>&1); rc=$?
kill -CONT "$server"
[ $rc = 1 ] || fail "receive --timeout 1 from a silent server ended with $rc"
contains "silent server" "$err" "Przekroczono czas oczekiwania na dane z serwera"
for bad in 0 x -1; do
  "$cli" receive 127.0.0.1 --port "$port" --timeout "$bad" -o "$dir/t%d.osw" >/dev/null 2>&1 \
    && fail "--timeout $bad accepted"
done
kill "$server"; wait "$server"

# serve --bind: clients reach it on that address only.
start_server "$dir/a.osw" --bind 127.0.0.1
timeout 20 "$cli" receive 127.0.0.1 --port "$port" --count 1 -o "$dir/bound%d.osw" || fail "receive on the bound address"
cmp -s "$dir/a.osw" "$dir/bound1.osw" || fail "chart on the bound address differs"
err=$(timeout 20 "$cli" receive ::1 --port "$port" --count 1 -o "$dir/unbound%d.osw" 2>&1) \
  && fail "receive on an address not bound"
contains "address not bound" "$err" "Nie udało się nawiązać połączenia"
kill "$server"; wait "$server"
"$cli" serve "$dir/a.osw" --port 0 --bind nowhere >/dev/null 2>&1 && fail "--bind nowhere accepted"

# Regression: every client that stopped reading held a copy of the chart in
# the server: 45 of them took it from 29 MB to 262 MB for a 5 MB chart.
long_chart "$dir/5mb.osw" 50 100000
size=$(stat -c %s "$dir/5mb.osw")
start_server "$dir/5mb.osw" --max 50
before=$(resident "$server")
stalled=()
for _ in $(seq 45); do
  exec {fd}<>"/dev/tcp/127.0.0.1/$port"
  printf '\x07stalled' >&"$fd"
  stalled+=("$fd")
done
sleep 1
after=$(resident "$server")
for fd in "${stalled[@]}"; do exec {fd}>&-; done
(( (after - before) <= 3 * size )) || fail "45 stalled clients grew the server by $((after - before)) bytes for a chart of $size"
kill "$server"; wait "$server"

# Regression: a chart of a million empty functions (13 MB) took some 150
# bytes a function to load, serve or receive.
{ printf '\x0aZELTRA 2.0'; le32 1000000; head -c 13000000 /dev/zero; cat "$dir/rest.bin"; } > "$dir/many.osw"
size=$(stat -c %s "$dir/many.osw")
base=$(/usr/bin/time -f %M "$cli" dump "$dir/empty.osw" 2>&1 >/dev/null | tail -n 1)
peak=$(/usr/bin/time -f %M "$cli" dump "$dir/many.osw" 2>&1 >/dev/null | tail -n 1)
(( (peak - base) * 1024 <= 4 * size )) || fail "a chart of $size bytes took $(((peak - base) * 1024)) bytes to load"
peak=$(/usr/bin/time -f %M timeout 60 "$cli" serve "$dir/many.osw" --port 0 2>&1 >/dev/null | tail -n 1)
(( (peak - base) * 1024 <= 4 * size )) || fail "a chart of $size bytes took $(((peak - base) * 1024)) bytes to serve"

# Regression: SIGTERM or SIGINT during a write left the hidden temporary file
# beside the target. A 50 MB chart, stopped as soon as its temporary is there.
long_chart "$dir/50mb.osw" 500 100000
start_server "$dir/50mb.osw"
mkdir "$dir/stopped"
caught=0
for attempt in 1 2 3 4 5 6; do
  signal=$([ $((attempt % 2)) = 1 ] && echo TERM || echo INT)
  "$cli" receive 127.0.0.1 --port "$port" --count 1 -o "$dir/stopped/got.osw" 2>/dev/null &
  receiver=$!
  while kill -0 "$receiver" 2>/dev/null && ! compgen -G "$dir/stopped/.osw-*" >/dev/null; do :; done
  if compgen -G "$dir/stopped/.osw-*" >/dev/null; then
    kill -"$signal" "$receiver"
    caught=$((caught + 1))
  fi
  wait "$receiver"
  left=$(ls -A "$dir/stopped" | grep -v '^got.osw$')
  [ -z "$left" ] || fail "SIG$signal during a write left: $left"
  [ ! -e "$dir/stopped/got.osw" ] || cmp -s "$dir/50mb.osw" "$dir/stopped/got.osw" || fail "SIG$signal: the target is not whole"
  find "$dir/stopped" -mindepth 1 -delete
  [ $caught -ge 2 ] && break
done
[ $caught -ge 1 ] || echo "SKIP signals: no write was caught under way"
kill "$server"; wait "$server"

exit $((failures > 0))
