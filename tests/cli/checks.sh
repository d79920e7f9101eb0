# The checks the command-line test scripts share; sourced, not run.
failures=0

fail() { echo "FAIL $*"; failures=$((failures + 1)); }
contains() { # NAME HAYSTACK NEEDLE
  case "$2" in *"$3"*) ;; *) fail "$1: no '$3' in: ${2:0:400}";; esac
}
