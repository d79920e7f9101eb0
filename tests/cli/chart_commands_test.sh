#!/usr/bin/env bash
# osiowiec-cli new, dump and table on real files.
set -u
cli=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
. "$(dirname "$0")/checks.sh"

# An empty chart is the 531 bytes of a new one.
"$cli" new -o "$dir/empty.osw" || fail "new empty"
[ "$(stat -c %s "$dir/empty.osw")" = 531 ] || fail "empty chart is not 531 bytes"

"$cli" new -f "sin(x)" -f "log(x,2);2;#ff8000" -f "x^2;1;;hidden" --x "-pi:pi" --y "-2:2" \
  --points 200 --degrees --dots --grid "auto:0.5" --scale "1:auto" --table "0:1:0.5" \
  --header "Zażółć gęślą" --caption "Podpis" -o "$dir/full.osw" || fail "new full"
dump=$("$cli" dump "$dir/full.osw")
contains "formula" "$dump" '"m_strFormula":"log(x,2)","m_crColor":33023,"m_nDerivative":2,"m_bVisible":true'
# The third function takes the palette's third colour, sky blue.
contains "hidden" "$dump" '"m_strFormula":"x^2","m_crColor":15316054,"m_nDerivative":1,"m_bVisible":false'
contains "header text" "$dump" '"m_szHeader":"Zażółć gęślą"'
contains "caption shown" "$dump" '"m_bCaptionVisible":true'
contains "range" "$dump" '"m_xMin":-3.1415926535897931,"m_xMax":3.1415926535897931,"m_yMin":-2,"m_yMax":2'
contains "fixed grid" "$dump" '"m_bAutoGridX":true,"m_bAutoGridY":false'
contains "grid y" "$dump" '"m_gridY":0.5'
contains "points" "$dump" '"m_nPoints":200'
contains "degrees and dots" "$dump" '"m_bDegrees":true,"m_bJoinPoints":false,"padding466":[0,0,0,0,0,0]'
contains "font" "$dump" '"m_lfLegend":{"lfHeight":10,"lfWidth":0'
contains "table" "$dump" '"m_tableXMin":0,"m_tableXMax":1,"m_tableStep":0.5,"m_bTableSync":false'
contains "tail" "$dump" '"history":[],"m_bTableVisible":0,"m_nTableWidth":153}'

computed=$("$cli" dump --computed "$dir/full.osw")
# The curve's own samples, at -pi + k * step degrees: a table of its own
# range no longer takes their place.
contains "samples" "$computed" '"m_samples":[-0.054803665148789531,-0.054256169612169003,'
contains "scale labels" "$computed" '"scaleLabelsX":["-3","-2","-1","0","1","2","3"],"scaleLabelsY":["-2","-1.5",'
"$cli" new -f "x" --x "1000000:1000001" -o "$dir/narrow.osw" || fail "new narrow"
contains "labels told apart" "$("$cli" dump --computed "$dir/narrow.osw")" '"scaleLabelsX":["1000000","1000000.2","1000000.4",'
contains "scales" "$computed" '"m_scaleX":5092.9581789406511'

table=$("$cli" table "$dir/full.osw")
expected=$'x,sin(x),"(log(x,2))\'\'"\n0,0,\n0.5,0.00872654,-5.77078\n1,0.0174524,-1.4427'
[ "$table" = "$expected" ] || fail "table: $(printf '%q' "$table")"

# Failed evaluations are empty fields, in a table of its own range and in one
# made of the chart's samples.
"$cli" new -f "ln(x)" -f "1/x" --table "-1:1:0.5" -o "$dir/undefined.osw" || fail "new undefined"
"$cli" new -f "ln(x)" -f "1/x" --x "-1:1" --points 4 --table "sync:auto" -o "$dir/synced.osw" ||
  fail "new synced"
expected=$'x,ln(x),1/x\n-1,,-1\n-0.5,,-2\n0,,\n0.5,-0.693147,2\n1,0,1'
for chart in undefined synced; do
  table=$("$cli" table "$dir/$chart.osw")
  [ "$table" = "$expected" ] || fail "$chart table: $(printf '%q' "$table")"
done

# Refusals: the system's messages on standard error, status 1.
err=$("$cli" new --x 3:3 -o "$dir/bad.osw" 2>&1 >/dev/null); rc=$?
[ $rc = 1 ] || fail "range refused with $rc"
contains "range message" "$err" 'Maksymalna wartość dla X musi być większa od minimalnej'
[ ! -e "$dir/bad.osw" ] || fail "refused chart was written"
err=$("$cli" new -f "x;3" -o "$dir/bad.osw" 2>&1 >/dev/null) && fail "order 3 accepted"
err=$("$cli" new -f "sin x" -o "$dir/bad.osw" 2>&1 >/dev/null) && fail "bad formula accepted"
contains "formula message" "$err" 'Brak nawiasu otwierającego'
err=$("$cli" new --table "sync:abc" -o "$dir/bad.osw" 2>&1 >/dev/null) && fail "bad step accepted"
contains "step message" "$err" $'Błąd w wartości kroku\nNieznany symbol\nna pozycji 0'

# Formulas as students write them, in functions and in settings, kept as typed.
"$cli" new -f "x^-2" -f "2x sin(x)(x+1)" --x "-e:2(e+1)" --table "1:2:1" -o "$dir/students.osw" ||
  fail "new with signs, e and implied products"
dump=$("$cli" dump "$dir/students.osw")
contains "formula as typed" "$dump" '"m_strFormula":"2x sin(x)(x+1)"'
contains "range with e" "$dump" '"m_xMin":-2.7182818284590451,"m_xMax":7.4365636569180902'
table=$("$cli" table "$dir/students.osw")
expected=$'x,x^-2,2x sin(x)(x+1)\n1,1,3.36588\n2,0.25,10.9116'
[ "$table" = "$expected" ] || fail "students table: $(printf '%q' "$table")"
err=$("$cli" new -f "x" -f "2^--1" -o "$dir/bad.osw" 2>&1 >/dev/null) && fail "double sign accepted"
contains "double sign message" "$err" '-f 2: syntax error: Brak liczby, zmiennej lub funkcji at 2'

printf 'hello' > "$dir/text.osw"
err=$("$cli" dump "$dir/text.osw" 2>&1 >/dev/null) && fail "non-chart accepted"
contains "not a chart" "$err" "'$dir/text.osw' nie jest plikiem programu Osiowiec"
head -c 100 "$dir/full.osw" > "$dir/cut.osw"
err=$("$cli" table "$dir/cut.osw" 2>&1 >/dev/null) && fail "truncated chart accepted"
contains "truncated" "$err" "Nie udało się odcztać pliku '$dir/cut.osw'"

# Rendering: PNG of the asked size, SVG and a PDF page.
"$cli" render "$dir/full.osw" -o "$dir/chart.png" --size 320x200 || fail "render png"
[ "$(head -c 8 "$dir/chart.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "not a png"
[ "$(od -An -tu1 -j16 -N8 "$dir/chart.png" | tr -s ' ')" = " 0 0 1 64 0 0 0 200" ] || fail "png size"
"$cli" render "$dir/full.osw" -o "$dir/chart.svg" || fail "render svg"
grep -q '<svg' "$dir/chart.svg" || fail "not an svg"
"$cli" render "$dir/full.osw" -o "$dir/chart.pdf" || fail "render pdf"
[ "$(head -c 4 "$dir/chart.pdf")" = "%PDF" ] || fail "not a pdf"
"$cli" render "$dir/full.osw" -o "$dir/x.png" --size 0x10 2>/dev/null && fail "size 0 accepted"
"$cli" render "$dir/full.osw" -o "$dir/x.gif" 2>/dev/null && fail "gif accepted"
err=$("$cli" render "$dir/text.osw" -o "$dir/x.png" 2>&1 >/dev/null) && fail "render of non-chart"
contains "render refuses" "$err" "nie jest plikiem programu Osiowiec"

# What the window shows besides the chart: each option changes the picture,
# in the SVG the area's label is written out.
"$cli" new -f "sin(x)" --x "-2pi:2pi" -o "$dir/sine.osw" || fail "new sine"
"$cli" render "$dir/sine.osw" -o "$dir/plain.png" || fail "render plain"
for option in "--aliased" "--points" "--area 0:0:pi" "--pi" "--classic"; do
  # shellcheck disable=SC2086
  "$cli" render "$dir/sine.osw" -o "$dir/marked.png" $option || fail "render $option"
  cmp -s "$dir/plain.png" "$dir/marked.png" && fail "render $option changed nothing"
done
"$cli" render "$dir/sine.osw" -o "$dir/area.svg" --area "0:0:pi" || fail "render area svg"
grep -q 'Pole = 2 (całka oznaczona)' "$dir/area.svg" || fail "area label missing from the svg"
err=$("$cli" render "$dir/sine.osw" -o "$dir/x.png" --area "3:0:1" 2>&1 >/dev/null) && fail "area of no function"
contains "area of no function" "$err" "Wykres nie ma funkcji o numerze 3"
err=$("$cli" render "$dir/sine.osw" -o "$dir/x.png" --area "0:1:0" 2>&1 >/dev/null) && fail "reversed area"
"$cli" render "$dir/sine.osw" -o "$dir/x.png" --area "x" 2>/dev/null && fail "area without interval"

echo "$failures failed"
[ "$failures" -eq 0 ]
