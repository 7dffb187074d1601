#!/usr/bin/env bash
# Prints how large the tests are beside the rest of the code: non-blank, non-comment lines of
# the C, C++, Python and shell files git knows, tests/ against everything else.
cd "$(dirname "$0")/.."
lines() { grep -E '\.(c|cpp|h|py|sh)$' | xargs -r cat | grep -c -v -E '^\s*($|//|#( |$))'; }
tests=$(git ls-files -co --exclude-standard tests | lines)
rest=$(git ls-files -co --exclude-standard | grep -v '^tests/' | lines)
awk -v t="$tests" -v r="$rest" 'BEGIN {printf "tests: %d lines, the rest: %d lines, tests'"'"' share: %.1f%%\n", t, r, 100 * t / (t + r)}'
