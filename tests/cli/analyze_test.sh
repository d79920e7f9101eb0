#!/usr/bin/env bash
# osiowiec-cli analyze and area on real files.
set -u
cli=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
. "$(dirname "$0")/checks.sh"

"$cli" new -f "sin(x)" -f "cos(x);0;;hidden" -f "x/2" --x "-10:10" -o "$dir/sin.osw" || fail "new sin"

# The whole answer: sorted lists, 17 digits, hidden functions left out but
# counted in the indices.
out=$("$cli" analyze "$dir/sin.osw")
contains "range" "$out" '{"range":[-10,10],"functions":[{"index":0,"label":"sin(x)",'
contains "zeros" "$out" '"zeros":[-9.4247779607693793,-6.2831853071795862,-3.1415926535897931,0,3.1415926535897931,6.2831853071795862,9.4247779607693793]'
contains "second visible" "$out" '{"index":2,"label":"x/2","zeros":[0],"minima":[],"maxima":[],"unresolved":[],"truncated":false}'
contains "meetings" "$out" '"intersections":[{"functions":[0,2],"x":-1.8954942670339809,"y":-0.94774713351699047},{"functions":[0,2],"x":0,"y":0},{"functions":[0,2],"x":1.8954942670339809,"y":0.94774713351699047}],"intersections_truncated":false,"intersections_unresolved":[],"coinciding":[]}'
[ "$(printf '%s\n' "$out" | wc -l)" = 1 ] || fail "analyze prints more than one line"

# A range given as formulas, and a cap.
out=$("$cli" analyze "$dir/sin.osw" --x "-pi/2:2*pi" --max 1)
contains "formula range" "$out" '"range":[-1.5707963267948966,6.2831853071795862]'
contains "capped zeros" "$out" '"zeros":[0],'
contains "cut" "$out" '"truncated":true'
out=$("$cli" analyze "$dir/sin.osw" --max 0)
contains "nothing listed" "$out" '"zeros":[],"minima":[],"maxima":[],"unresolved":[],"truncated":true'
contains "no meetings" "$out" '"intersections":[],"intersections_truncated":true,'


# Poles and jumps are not zeros.
"$cli" new -f "tan(x)" -f "x/abs(x)" -o "$dir/tan.osw" || fail "new tan"
out=$("$cli" analyze "$dir/tan.osw")
contains "tangent" "$out" '"zeros":[-3.1415926535897931,0,3.1415926535897931],"minima":[],"maxima":[]'
contains "jump" "$out" '"label":"x/abs(x)","zeros":[],"minima":[],"maxima":[]'

# Proven points to the last bit: the zeros of x^2-2 are the doubles nearest
# to the square root of 2, its minimum is at 0 itself; a kink is a zero and
# a minimum.
"$cli" new -f "x^2-2" -f "abs(x)" --x "-5:5" -o "$dir/exact.osw" || fail "new exact"
out=$("$cli" analyze "$dir/exact.osw")
contains "root of two" "$out" '"label":"x^2-2","zeros":[-1.4142135623730951,1.4142135623730951],"minima":[[0,-2]],"maxima":[],"unresolved":[],"truncated":false}'
contains "kink" "$out" '"label":"abs(x)","zeros":[0],"minima":[[0,0]],"maxima":[],"unresolved":[],"truncated":false}'

# The same curve written twice is one stretch, never hundreds of meetings;
# a curve that turns faster than anything can follow is unresolved there.
"$cli" new -f "(x+1)^2" -f "x^2+2*x+1" -f "sin(1/x)" --x "-5:5" -o "$dir/same.osw" || fail "new same"
out=$("$cli" analyze "$dir/same.osw")
contains "coinciding" "$out" '"coinciding":[[-5,5,0,1]]}'
printf '%s\n' "$out" | grep -q '"functions":\[0,1\]' && fail "the same curve meets itself"
contains "unresolved near 0" "$out" '"unresolved":[[-0.030000000000000249,0.030000000000000249]]'

# Areas, and the refusals on standard error.
"$cli" new -f "x^2" -f "1/sqrt(x)" -f "ln(x)" -f "1/x" -o "$dir/areas.osw" || fail "new areas"
out=$("$cli" area "$dir/areas.osw" --function 0 --x 0:3)
contains "parabola" "$out" '{"area":9,"error":'
out=$("$cli" area "$dir/areas.osw" --function 1 --x 0:1)
contains "singular end" "$out" '{"area":2,"error":'
err=$("$cli" area "$dir/areas.osw" --function 2 --x -1:1 2>&1 >/dev/null); rc=$?
[ $rc = 1 ] || fail "undefined area exits $rc"
contains "undefined" "$err" 'Funkcja nie jest określona w całym przedziale'
err=$("$cli" area "$dir/areas.osw" --function 3 --x -1:1 2>&1 >/dev/null); rc=$?
[ $rc = 1 ] || fail "divergent area exits $rc"
contains "divergent" "$err" 'Całka jest rozbieżna'
err=$("$cli" area "$dir/areas.osw" --function 4 --x 0:1 2>&1 >/dev/null) && fail "function 4 accepted"
contains "no such function" "$err" 'Wykres nie ma funkcji o numerze 4'

# Bad ranges and files: the usual messages, status 1, nothing on standard output.
for args in "--x 3:3" "--x 2:1" "--x abc:1" "--max -1" "--max x"; do
  out=$("$cli" analyze "$dir/sin.osw" $args 2>/dev/null) && fail "analyze $args accepted"
  [ -z "$out" ] || fail "analyze $args printed: $out"
done
err=$("$cli" analyze "$dir/sin.osw" --x 3:3 2>&1 >/dev/null)
contains "range order" "$err" 'Maksymalna wartość dla X musi być większa od minimalnej'
err=$("$cli" area "$dir/areas.osw" --function 0 --x 1:0 2>&1 >/dev/null) && fail "reversed area range"
contains "area range order" "$err" 'Maksymalna wartość dla X musi być większa od minimalnej'
printf 'hello' > "$dir/text.osw"
err=$("$cli" analyze "$dir/text.osw" 2>&1 >/dev/null) && fail "non-chart analysed"
contains "not a chart" "$err" "nie jest plikiem programu Osiowiec"
"$cli" area "$dir/areas.osw" --x 0:1 2>/dev/null && fail "area without --function"

echo "$failures failed"
[ "$failures" = 0 ]
