#!/usr/bin/env bash
# The manual page, `bmpfilters --help` and the tool's chapter of the manual
# must never disagree: the page names every option and command that --help
# prints and every filter name that --list prints, and documents no option
# the tool does not have; every usage line of --help is a line of the page's
# SYNOPSIS and of the chapter's synopsis. When a form or option is added to
# the tool, this test asks for its entries.
set -euo pipefail

if [ $# -ne 3 ]; then
  echo "usage: $0 BMPFILTERS MAN-PAGE TOOL-CHAPTER" >&2
  exit 2
fi
tool=$1
page=$2
chapter=$3

help=$("$tool" --help)
filters=$("$tool" --list | awk -F '\t' 'NF >= 3 { print $2 }' | sort -u)
# The page as a reader sees its words: comments dropped, roff's escaped
# hyphens and font changes undone.
text=$(sed -e '/^\.\\"/d' -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\%//g' "$page")

options=$(grep -oE -- '--[a-z][a-z0-9-]*' <<<"$help" | sort -u)
# The word after "bmpfilters" on a usage line, when it is a command rather
# than an option or an operand.
commands=$(awk '{ for (i = 1; i < NF; i++) if ($i == "bmpfilters") { print $(i + 1); break } }' <<<"$help" |
  grep -E '^[a-z][a-z-]*$' | sort -u || true)

# True when the page holds `word` with no letter, digit or hyphen on either side.
page_names() {
  grep -qE -- "(^|[^a-z0-9-])$1([^a-z0-9-]|\$)" <<<"$text"
}

failures=0
for word in $options $commands $filters; do
  if ! page_names "$word"; then
    echo "FAIL: '$word' is in bmpfilters --help or --list but not in $page" >&2
    failures=$((failures + 1))
  fi
done
documented=$(grep -oE -- '--[a-z][a-z0-9-]*' <<<"$text" | sort -u)
for option in $documented; do
  if ! grep -qxF -- "$option" <<<"$options"; then
    echo "FAIL: $page documents $option, which bmpfilters --help does not show" >&2
    failures=$((failures + 1))
  fi
done

# The usage lines, with "usage:" and runs of spaces taken out.
squeeze() { sed -e 's/^usage://' -e 's/  */ /g' -e 's/^ //' -e 's/ $//'; }
usages=$(grep -E '^(usage: | +)bmpfilters ' <<<"$help" | squeeze)
synopsis_of_chapter=$(squeeze <"$chapter")
check_synopsis() {  # NAME TEXT
  while IFS= read -r usage; do
    if ! grep -qxF -- "$usage" <<<"$2"; then
      echo "FAIL: '$usage' is a usage line of bmpfilters --help but not of $1" >&2
      failures=$((failures + 1))
    fi
  done <<<"$usages"
}
check_synopsis "$chapter" "$synopsis_of_chapter"

# The page must also format cleanly where the formatter is at hand.
if command -v groff >/dev/null 2>&1; then
  check_synopsis "the SYNOPSIS of $page" \
    "$(groff -man -Tascii -rLL=300n "$page" 2>/dev/null | col -b | sed -n '/^SYNOPSIS/,/^DESCRIPTION/p' | squeeze)"
  warnings=$(groff -man -Tutf8 -z "$page" 2>&1 >/dev/null)
  if [ -n "$warnings" ]; then
    echo "FAIL: groff warns about $page:" >&2
    echo "$warnings" >&2
    failures=$((failures + 1))
  fi
else
  echo "groff not found: the page's formatting and synopsis are not checked"
fi

if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "the manual page names all $(wc -w <<<"$options $commands $filters") options, commands and filters of --help and --list"
