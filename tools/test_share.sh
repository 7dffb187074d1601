#!/usr/bin/env bash
# Prints how large the tests are beside the rest of the code: non-blank, non-comment lines of
# the C, C++, Python and shell files git knows, tests/ against everything else.
cd "$(dirname "$0")/.."
lines() { grep -E '\.(c|cpp|h|py|sh)$' | xargs -r cat | grep -c -v -E '^\s*($|//|#( |$))'; }
tests=$(git ls-files -co --exclude-standard tests | lines)
rest=$(git ls-files -co --exclude-standard | grep -v '^tests/' | lines)
echo "tests: $tests lines, the rest: $rest lines, tests' share: $((100 * tests / (tests + rest)))%"
