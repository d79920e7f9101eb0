#!/usr/bin/env bash
# osiowiec-cli eval: output lines and exit status.
set -u
cli=$1
failures=0

# expect NAME STATUS EXPECTED_STDOUT -- ARGS...
expect() {
  local name=$1 status=$2 expected=$3
  shift 4
  local out rc
  out=$("$cli" eval "$@" 2>/dev/null)
  rc=$?
  if [ "$rc" != "$status" ] || [ "$out" != "$expected" ]; then
    echo "FAIL $name: status $rc (want $status)"
    echo "  got:  $(printf '%q' "$out")"
    echo "  want: $(printf '%q' "$expected")"
    failures=$((failures + 1))
  fi
}

expect "program and constants" 0 $'program: 11 10 11 8 6 10 13 11 7 5 12\nconstants: 2 2 3' \
  -- --program '2x^2 - sin(x)/3'
expect "formula beginning with minus" 0 $'-9\n-1.0000000000000002e-10' -- '-x^2' 3 -1e-5
expect "negative arguments" 0 $'-3' -- 'x' -3
expect "errors per argument" 0 $'error: Dzielenie przez zero\n1' -- '1/x' 0 1
expect "domain error" 0 'error: Błąd dziedziny' -- 'sqrt(x)' -1
expect "degrees" 0 '90' -- --degrees 'asin(x)' 1
# Derivatives are exact: Taylor arithmetic, no difference step.
expect "second derivative" 0 '2' -- --order 2 'x^2' 3
expect "second derivative far out (was 3.82e22)" 0 '5.184705528587072e+21' -- --order 2 'exp(x)' 50
expect "fourth derivative" 0 '24' -- --order 4 'x^4' 1000
expect "syntax error" 2 'syntax error: Brak nawiasu otwierającego at 4' -- --program 'sin x' 1
expect "unicode outside the code page" 2 'syntax error: Nieznany symbol at 0' -- '√x'
expect "polish name" 0 '1024' -- 'potęga(2,10)' 0
expect "negative power" 0 $'program: 10 11 3 8 12\nconstants: 2\n0.25' -- --program 'x^-2' 2
expect "e and implied products" 0 $'2.0387113713442839\n16.309690970754271' -- '2e(x+1)x/2' 0.5 2
expect "sign after times" 0 '-18' -- '2*-x^2' 3
expect "two signs after a power" 2 'syntax error: Brak liczby, zmiennej lub funkcji at 2' -- '2^--1'
expect "number after a group" 2 'syntax error: Oczekiwany operator lub koniec wyrażenia at 5' -- '(x+1)2'
expect "names read whole" 2 'syntax error: Nieznany symbol at 0' -- 'xsin(x)'

if "$cli" eval --order 99 x 1 >/dev/null 2>&1; then
  echo "FAIL order out of range accepted"; failures=$((failures + 1))
fi
if "$cli" eval x abc >/dev/null 2>&1; then
  echo "FAIL bad argument accepted"; failures=$((failures + 1))
fi

echo "$failures failed"
[ "$failures" -eq 0 ]
