#!/usr/bin/env bash
# Checks the installed documentation as Debian wants it: manual pages of both programs that man
# renders without a warning, whose NAME lines whatis can read and that name each other, a page
# of the render command that tells every option and report key the program has, a changelog
# whose latest entry is this release, a machine-readable copyright file, and all compressed files
# made by gzip -9n.
set -uo pipefail
root=$1 program=$2 app_id=$3 render=$4 emulator=${5:-}

status=0
fail() { echo "FAIL: $*"; status=1; }

page=$root/usr/share/man/man1/$program.1.gz
render_page=$root/usr/share/man/man1/$render.1.gz
changelog=$root/usr/share/doc/$program/changelog.gz
copyright=$root/usr/share/doc/$program/copyright
metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
for file in "$page" "$render_page" "$changelog" "$copyright" "$metainfo"; do
  [ -f "$file" ] || { echo "FAIL: $file is missing"; exit 1; }
done

# gzip -9 marks its output as maximally compressed; without -n it records a name and a time.
for file in "$page" "$render_page" "$changelog"; do
  kind=$(file -b "$file")
  case $kind in
    *"max compression"*) ;;
    *) fail "$file is not compressed with gzip -9: $kind" ;;
  esac
  case $kind in
    *"was "* | *"last modified"*) fail "$file keeps a name or time stamp (no gzip -n): $kind" ;;
  esac
done

# The same check as lintian's: groff's warnings, at the width lintian renders with. Leaves the
# page as text in $rendered for the checks of its content.
check_page() {
  local page=$1 name=$2 warnings whatis
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man warns about $page: $warnings"
  whatis=$(lexgrog "$page" 2>&1) || fail "lexgrog finds no NAME line in $page: $whatis"
  case $whatis in
    *"\"$name - "*) ;;
    *) fail "the NAME line does not name $name: $whatis" ;;
  esac
  rendered=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null | col -b)
}
# The text of one section of a rendered page: its lines up to the next heading.
section() { awk -v name="$1" '/^[A-Z]/ { inside = ($0 == name); next } inside'; }
lacks() {
  local text=$1 where=$2
  shift 2
  for wanted in "$@"; do
    grep -qF -- "$wanted" <<<"$text" || fail "$where lacks \"$wanted\""
  done
}

check_page "$page" "$program"
text=$rendered
lacks "$text" "the rendered page of $program" \
  "SYNOPSIS" "EXIT STATUS" "Soundcard not present" "pcm.!default { type null }"
lacks "$(section "SEE ALSO" <<<"$text")" "the SEE ALSO of $program" "$render(1)"

check_page "$render_page" "$render"
render_text=$rendered
lacks "$render_text" "the rendered page of $render" "SYNOPSIS" "EXIT STATUS" \
  "$render --shape square --frequency 997,1000 --output 'sq-{frequency}.wav'"
lacks "$(section "SEE ALSO" <<<"$render_text")" "the SEE ALSO of $render" "$program(1)"

# What the program itself has: every option of its --help, and every key of its report line.
run=()
[ -z "$emulator" ] || run=("$emulator")
help=$("${run[@]}" "$root/usr/bin/$render" --help) || fail "$render --help fails"
options=$(grep -oE '^ +(-[a-z],)?--[a-z][a-z-]*' <<<"$help" | sed 's/.*,//; s/^ *//')
[ -n "$options" ] || fail "no options in $render --help: $help"
# shellcheck disable=SC2086 # one word per option
lacks "$(section OPTIONS <<<"$render_text")" "the OPTIONS of $render" $options
# Every shape of the shape table, as --help lists it.
shapes=$(grep -oE 'shapes: [a-z|-]+' <<<"$help" | sed 's/shapes: //; s/|/ /g')
[ -n "$shapes" ] || fail "no shapes in $render --help: $help"
# shellcheck disable=SC2086
lacks "$(section OPTIONS <<<"$render_text")" "the OPTIONS of $render" $shapes
placeholders=$(grep -oE '\{[a-z]+\}' <<<"$help" | sort -u)
# shellcheck disable=SC2086
lacks "$(section OPTIONS <<<"$render_text")" "the OPTIONS of $render" $placeholders
report=$("${run[@]}" "$root/usr/bin/$render" --length 0.1 --output - 2>&1 >/dev/null | tail -n 1) ||
  fail "$render --output - fails: $report"
keys=$(python3 -c 'import json, sys; print(" ".join(json.loads(sys.argv[1])))' "$report") ||
  fail "the report of $render is not a JSON object: $report"
[ -n "$keys" ] || fail "$render reports no keys"
# shellcheck disable=SC2086
lacks "$(section OUTPUT <<<"$render_text")" "the OUTPUT of $render" $keys

# The changelog's latest entry is the release the metainfo names, for this package.
release=$(python3 -c '
import sys, xml.etree.ElementTree as tree
release = tree.parse(sys.argv[1]).find("releases/release")
print(release.get("version"), release.get("date"))' "$metainfo") || fail "no release in $metainfo"
read -r version date <<<"$release"
unpacked=$(mktemp)
trap 'rm -f "$unpacked"' EXIT
gzip -dc "$changelog" >"$unpacked" || fail "$changelog does not decompress"
if ! latest=$(dpkg-parsechangelog -l "$unpacked" 2>&1); then
  echo "FAIL: $changelog does not parse as a Debian changelog:"
  echo "$latest" | head -n 5
  exit 1
fi
entry() { sed -n "s/^$1: //p" <<<"$latest"; }
[ "$(entry Source)" = "$program" ] || fail "changelog names the package $(entry Source)"
[ "$(entry Version)" = "$version" ] || fail "changelog's version $(entry Version), released $version"
entry_date=$(date -u -d "$(entry Date)" +%F) || fail "changelog's date $(entry Date) does not parse"
[ "$entry_date" = "$date" ] || fail "changelog's date $entry_date, released $date"

# Machine-readable copyright format 1.0: a header, then Files paragraphs that each name their
# copyright and a licence whose text is given in the paragraph or in a License paragraph.
perl -MDpkg::Control::Hash -e '
  my ($path, $maintainer) = @ARGV;
  open my $in, "<", $path or die "cannot read $path\n";
  my @paragraphs;
  while (1) {
    my $paragraph = Dpkg::Control::Hash->new(name => $path);
    last unless $paragraph->parse($in, $path);
    push @paragraphs, $paragraph;
  }
  my $header = shift @paragraphs or die "$path is empty\n";
  my @errors;
  push @errors, "Format is not the copyright format 1.0"
    unless ($header->{Format} // "") eq
      "https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/";
  push @errors, "the header has no $_" for grep { !length($header->{$_} // "") } qw(Upstream-Name Upstream-Contact);
  push @errors, "Upstream-Contact is $header->{\"Upstream-Contact\"}, the changelog names $maintainer"
    unless ($header->{"Upstream-Contact"} // "") eq $maintainer;
  my (%defined, @used);
  for my $paragraph (@paragraphs) {
    my ($name, $text) = split /\n/, $paragraph->{License} // "", 2;
    push @errors, "a paragraph has no License" unless length($name // "");
    $defined{$name} = 1 if length($text // "");
    if (defined $paragraph->{Files}) {
      push @errors, "Files: $paragraph->{Files} has no Copyright" unless length($paragraph->{Copyright} // "");
      push @used, $name;
    }
  }
  push @errors, "no Files paragraph" unless @used;
  push @errors, "the licence $_ has no text" for grep { !$defined{$_} } @used;
  print "FAIL: $path: $_\n" for @errors;
  exit(@errors ? 1 : 0);
' "$copyright" "$(entry Maintainer)" || status=1
exit $status
