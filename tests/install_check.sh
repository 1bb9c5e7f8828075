#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks the tree: the program,
# its manual page, the guide and the examples; then runs the installed
# program on an installed example, unattended, to a complete report, and
# from the command line to the same report.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "install tree: $*" >&2; exit 1; }
[ -x "$prefix/bin/korvelin" ] || fail "no executable bin/korvelin"
page="$prefix/share/man/man1/korvelin.1"
[ -f "$page" ] || fail "no manual page share/man/man1/korvelin.1"
grep -q '^\.TH KORVELIN 1' "$page" || fail "the manual page has no .TH header"
grep -q '^\.SH DIAGNOSTICS' "$page" || fail "the manual page lacks its DIAGNOSTICS section"
docs="$prefix/share/doc/korvelin"
[ -f "$docs/guide.md" ] || fail "no guide"
[ -f "$docs/examples/README.md" ] || fail "no examples"
[ -f "$docs/LICENSE" ] || fail "no licence beside the guide"

# The version is written once, in CMakeLists.txt: the citation file and the
# manual page must agree with it.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in the build's cache"
grep -qx "version: \"$version\"" "$docs/CITATION.cff" || fail "CITATION.cff does not give version $version"
grep -q "^\.TH KORVELIN 1 .*\"KORVELIN $version\"" "$page" || fail "the manual page does not give version $version"

# Every relative link of the installed documents leads to a file inside the
# installed documentation.
root=$(cd "$docs" && pwd -P)
for md in "$docs"/*.md "$docs"/examples/*.md; do
  dir=$(dirname "$md")
  for target in $(grep -o '\]([^)#]*' "$md" | sed 's/^](//' | grep -v '^[a-z]*:' | grep -v '^$'); do
    [ -e "$dir/$target" ] || fail "$(basename "$md") links to $target, which is not installed"
    resolved=$(cd "$(dirname "$dir/$target")" && pwd -P)
    case "$resolved/" in "$root"/*) ;; *) fail "$(basename "$md") links outside the installed tree: $target" ;; esac
  done
done
if command -v groff >/dev/null 2>&1; then
  warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1) || fail "groff cannot format the page"
  [ -z "$warnings" ] || fail "groff warns: $warnings"
fi

# The installed program on an installed example, in a scratch copy.
work=$(mktemp -d)
trap 'rm -rf "$prefix" "$work"' EXIT
cp "$docs/examples/dimer.dat" "$docs/examples/dimer.answers" "$work/"
(cd "$work" && "$prefix/bin/korvelin" < dimer.answers > console.txt) || fail "the run did not end with status 0"
tail -n 1 "$work/dimer.out" | grep -qx '=\{66\}' || fail "the report does not end with the ruler"
grep -q 'Total number of hypotheses found' "$work/dimer.out" || fail "the report has no totals"
(cd "$work" && "$prefix/bin/korvelin" dimer.dat -o line.out > line.txt) || fail "the command-line run did not end with status 0"
cmp -s "$work/dimer.out" "$work/line.out" || fail "the command line wrote another report than the dialogue"
ls -a "$work" | grep -q '\.scr$' && fail "a scratch file was left"
echo "install tree complete: $prefix"
