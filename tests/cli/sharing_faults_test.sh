#!/usr/bin/env bash
# osiowiec-cli serve and receive on loopback, against files, peers and limits
# that misbehave.
set -u
cli=$1
dir=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null; done
  rm -rf "$dir"
}
trap cleanup EXIT
. "$(dirname "$0")/checks.sh"
wait_for_file() { # FILE: up to 20 s
  for _ in $(seq 200); do [ -s "$1" ] && return 0; sleep 0.1; done
  return 1
}
# Runs COMMAND ... (a server), reading its first line through a FIFO the
# moment it is written; sets $server and $port.
launch_server() {
  rm -f "$dir/serve.fifo"
  mkfifo "$dir/serve.fifo"
  "$@" > "$dir/serve.fifo" 2>> "$dir/serve.err" &
  server=$!
  pids+=("$server")
  local out line
  exec {out}< "$dir/serve.fifo"
  IFS= read -r -t 20 -u "$out" line
  exec {out}<&-
  port=${line#listening on port }
  [[ $line == "listening on port "* && $port =~ ^[0-9]+$ && $port != 0 ]] || {
    fail "first line: '$line' $(tail -n 3 "$dir/serve.err")"
    return 1
  }
}
start_server() { launch_server "$cli" serve "$@" --port 0; }
# Waits up to 10 s for a process to end; its status, or 255 when it did not.
ends_within_10s() { # PID
  for _ in $(seq 100); do
    kill -0 "$1" 2>/dev/null || { wait "$1"; return; }
    sleep 0.1
  done
  kill -KILL "$1" 2>/dev/null
  wait "$1"
  return 255
}
# Replaces FILE by a copy of SOURCE with a rename, as editors save.
replace() { # SOURCE FILE
  cp "$1" "$2.tmp" && mv "$2.tmp" "$2"
}
# CPU time a process has used, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

"$cli" new -f "sin(x)" -o "$dir/a.osw" || fail "new a"
"$cli" new -f "cos(x)" -o "$dir/b.osw" || fail "new b"
"$cli" new -f "tg(x)" --x "-1:1" -o "$dir/c.osw" || fail "new c"

# Regression: a change of the file right after the first line was lost, and
# SIGTERM right after it ended serve by the signal.
lost=0
for run in $(seq 8); do
  cp "$dir/a.osw" "$dir/race.osw"
  start_server "$dir/race.osw" || break
  replace "$dir/b.osw" "$dir/race.osw"
  sleep 0.3
  timeout 20 "$cli" receive 127.0.0.1 --port "$port" --count 1 -o "$dir/race-got.osw" 2>/dev/null
  cmp -s "$dir/b.osw" "$dir/race-got.osw" || lost=$((lost + 1))
  kill -TERM "$server"; wait "$server"
done
[ $lost = 0 ] || fail "a change right after the first line was lost in $lost of 8 runs"
killed=0
for run in $(seq 8); do
  start_server "$dir/a.osw" || break
  kill -TERM "$server"
  wait "$server" || killed=$((killed + 1))
done
[ $killed = 0 ] || fail "SIGTERM right after the first line ended serve by the signal in $killed of 8 runs"

# Regression: a FIFO renamed over the served file froze serve for good (in
# open, deaf to SIGTERM). The clients keep the last good chart.
cp "$dir/a.osw" "$dir/served.osw"
start_server "$dir/served.osw"
mkfifo "$dir/fifo.osw" && mv "$dir/fifo.osw" "$dir/served.osw"
sleep 0.5
timeout 10 "$cli" receive 127.0.0.1 --port "$port" --count 1 -o "$dir/after-fifo.osw" 2>/dev/null \
  || fail "serve did not answer after a FIFO took the file's place"
cmp -s "$dir/a.osw" "$dir/after-fifo.osw" || fail "the chart before the FIFO was not kept"
contains "FIFO said" "$(cat "$dir/serve.err")" "Nie udało się odcztać pliku '$dir/served.osw'"
kill -TERM "$server"
ends_within_10s "$server"; rc=$?
[ $rc = 0 ] || fail "serve with a FIFO in place of its file ended with $rc on SIGTERM"

# Regression: out of descriptors, serve spun on the failing accept, or never
# accepted again once the connections were gone.
launch_server bash -c 'ulimit -n 32 && exec "$0" serve "$1" --port 0 --max 50' "$cli" "$dir/a.osw"
# A client served first, as on any morning. (Under the sanitizers this also
# has them check the server's types while they can: their check needs a
# pipe, which a process out of descriptors cannot make.)
timeout 20 "$cli" receive 127.0.0.1 --port "$port" --count 1 -o "$dir/before-flood.osw" \
  || fail "serve limited to 32 descriptors served no client"
flood=()
trap '' PIPE # a connection the server closed is written to all the same
for _ in $(seq 60); do
  exec {fd}<>"/dev/tcp/127.0.0.1/$port"
  printf '\x05flood' >&"$fd" 2>/dev/null
  flood+=("$fd")
done
trap - PIPE
sleep 0.5
before=$(cpu_ticks "$server")
sleep 1
spent=$(($(cpu_ticks "$server") - before))
((spent < 10)) || fail "out of descriptors serve used $spent ticks of CPU in a second"
for fd in "${flood[@]}"; do exec {fd}>&-; done
timeout 20 "$cli" receive 127.0.0.1 --port "$port" --count 1 -o "$dir/after-flood.osw" \
  || fail "serve took no client after running out of descriptors"
kill -TERM "$server"; wait "$server"

# Regression: a file that kept changing (every 30 ms) was never sent while it
# did, each change restarting the wait for it to settle.
cp "$dir/a.osw" "$dir/changing.osw"
start_server "$dir/changing.osw"
mkfifo "$dir/sleep.fifo"
(
  # Without a process per change, so that no pause between changes reaches
  # the settling wait whatever the load: the first function's formula is
  # written over in place, by turns "cos(x)" and "sin(x)", every 10 ms or
  # so for some 4 s. The wait reads a FIFO nothing comes through.
  exec {sleeper}<> "$dir/sleep.fifo"
  for i in $(seq 150); do
    for formula in 'cos(x)' 'sin(x)'; do
      printf '\x0aZELTRA 2.0\x01\x00\x00\x00\x06%s' "$formula" 1<> "$dir/changing.osw"
      read -r -t 0.01 -u "$sleeper"
    done
  done
  replace "$dir/c.osw" "$dir/changing.osw"
) &
writer=$!
pids+=("$writer")
timeout 8 "$cli" receive 127.0.0.1 --port "$port" --count 3 -o "$dir/changing%d.osw" \
  || fail "fewer than three charts while the file kept changing"
kill -0 "$writer" 2>/dev/null || fail "the file had stopped changing before three charts came"
wait "$writer"
sleep 0.5
timeout 20 "$cli" receive 127.0.0.1 --port "$port" --count 1 -o "$dir/settled.osw"
cmp -s "$dir/c.osw" "$dir/settled.osw" || fail "the last state of a file that kept changing was not sent"

# Regression: receive without --count filled the disk. Of a numbered pattern
# it keeps the newest --keep files it wrote; others stay.
printf 'not written by this run' > "$dir/k50.osw"
"$cli" receive 127.0.0.1 --port "$port" --keep 3 -o "$dir/k%d.osw" 2> "$dir/keep.err" &
receiver=$!
pids+=("$receiver")
wait_for_file "$dir/k1.osw" || fail "no first chart with --keep"
for n in 2 3 4 5 6 7; do
  replace "$dir/$([ $((n % 2)) = 0 ] && echo a || echo b).osw" "$dir/changing.osw"
  wait_for_file "$dir/k$n.osw" || { fail "no chart $n with --keep"; break; }
done
kill -TERM "$server"; wait "$server"
wait "$receiver"; rc=$?
[ $rc = 0 ] || fail "receive --keep 3 ended with $rc: $(cat "$dir/keep.err")"
kept=$(cd "$dir" && echo k*.osw)
[ "$kept" = "k5.osw k50.osw k6.osw k7.osw" ] || fail "--keep 3 left: $kept"
cmp -s "$dir/b.osw" "$dir/k7.osw" || fail "the newest file kept is not the last chart"
for bad in 0 x -1 1000001; do
  "$cli" receive 127.0.0.1 --port "$port" --keep "$bad" -o "$dir/k%d.osw" >/dev/null 2>&1 \
    && fail "--keep $bad accepted"
done

# Regression: receive -o naming a FIFO waited for a reader past --timeout.
# Output goes to regular files only, refused before connecting.
start_server "$dir/a.osw"
mkfifo "$dir/out.osw" "$dir/f1.osw"
for pattern in "$dir/out.osw" "$dir/f%d.osw"; do
  err=$(timeout 5 "$cli" receive 127.0.0.1 --port "$port" --timeout 2 -o "$pattern" 2>&1); rc=$?
  [ $rc = 1 ] || fail "receive -o $pattern (a FIFO) ended with $rc"
  contains "FIFO refused" "$err" "to nie jest zwykły plik"
done
kill -TERM "$server"; wait "$server"

exit $((failures > 0))
