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
# An area's bound holds: |area - truth| <= error, the error at most 1e-6 of it.
bound_holds() { # NAME JSON TRUTH
  printf '%s\n' "$2" | awk -v truth="$3" -F'[:,}]' '
    { area = $2; error = $4; d = area - truth; if (d < 0) d = -d;
      a = area < 0 ? -area : area;
      exit !(d <= error && error <= 1e-6 * (a > 0 ? a : 1)) }' || fail "$1: $2 is not $3"
}
out=$("$cli" area "$dir/areas.osw" --function 1 --x 0:1)
bound_holds "singular end" "$out" 2
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
# An area's interval may run backwards (the negative area) or be empty (0);
# a bad end keeps the x range's message.
out=$("$cli" area "$dir/areas.osw" --function 0 --x 3:0)
contains "reversed area" "$out" '{"area":-9,"error":'
out=$("$cli" area "$dir/areas.osw" --function 0 --x 1:1)
[ "$out" = '{"area":0,"error":0}' ] || fail "empty area: $out"
err=$("$cli" area "$dir/areas.osw" --function 0 --x "0:2*" 2>&1 >/dev/null) && fail "bad end accepted"
contains "bad end" "$err" 'Błąd w maksymalnej wartości dla X'
printf 'hello' > "$dir/text.osw"
err=$("$cli" analyze "$dir/text.osw" 2>&1 >/dev/null) && fail "non-chart analysed"
contains "not a chart" "$err" "nie jest plikiem programu Osiowiec"
"$cli" area "$dir/areas.osw" --x 0:1 2>/dev/null && fail "area without --function"

# The three kinds: x^2-2 has 6.7712 between it and the axis over 0..3 (3
# signed), sin and cos enclose 4*sqrt(2) over a period; the refusals with
# their status.
"$cli" new -f "x^2-2" -f "sin(x)" -f "cos(x)" -f "exp(x)" -f "sin(x)" -o "$dir/kinds.osw" || fail "new kinds"
for row in "0 signed 0:3 3" "0 geometric 0:3 6.771236166328254" "1 geometric 0:2*pi 4" \
           "1 signed -pi:pi 0" "1 geometric pi:0 -2"; do
  set -- $row
  out=$("$cli" area "$dir/kinds.osw" --function "$1" --kind "$2" --x "$3")
  bound_holds "$2 area of $1 over $3" "$out" "$4"
done
out=$("$cli" area "$dir/kinds.osw" --function 1 --and 2 --x 0:2*pi)
bound_holds "between sin and cos" "$out" 5.656854249492381
out=$("$cli" area "$dir/kinds.osw" --function 1 --and 4 --x 0:1)
contains "a curve and itself" "$out" '{"area":0,"error":'
bound_holds "a curve and itself" "$out" 0
for args in "--function 3 --x 0:710|Pole jest zbyt duże, aby je obliczyć" \
            "--function 1 --x 0:1e308|Nie udało się obliczyć pola z wymaganą dokładnością" \
            "--function 1 --kind signed --and 2 --x 0:1|--and: pole między dwoma wykresami nie ma znaku" \
            "--function 1 --and 9 --x 0:1|Wykres nie ma funkcji o numerze 9"; do
  err=$("$cli" area "$dir/kinds.osw" ${args%%|*} 2>&1 >/dev/null); rc=$?
  [ $rc = 1 ] || fail "area ${args%%|*} exits $rc"
  contains "area ${args%%|*}" "$err" "${args#*|}"
done
for args in "--kind wrong" "--and x"; do
  err=$("$cli" area "$dir/kinds.osw" --function 1 $args --x 0:1 2>&1 >/dev/null) && fail "area $args accepted"
  contains "usage for $args" "$err" 'area PLIK --function I [--kind signed|geometric] [--and J] --x A:B'
done

echo "$failures failed"
[ "$failures" = 0 ]
