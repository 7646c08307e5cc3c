#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The licence identifier line at the top of every source file of the checkout:
#
#   scripts/spdx.sh [DIR]           adds the line to each tracked source file that lacks it
#   scripts/spdx.sh --check [DIR]   lists the files that lack it; exit status 1 when there are any
#
# DIR is the checkout (default: the one holding this script). Source files are the C and C++ files
# (the line starts with //) and the shell, Python and CMake files (with #). The line goes first, or
# second after a "#!" line. A file whose top already carries an SPDX identifier (any licence) is
# left as it is, so running the script again changes nothing. Files git does not track (build
# trees, scratch files) are not touched; symbolic links are skipped.
set -euo pipefail

LINE_TEXT="SPDX-License-Identifier: GPL-3.0-or-later"
check=0
if [ "${1:-}" = "--check" ]; then
  check=1
  shift
fi
if [ "$#" -gt 1 ] || [[ "${1:-}" == -* ]]; then
  echo "usage: $0 [--check] [DIR]" >&2
  exit 2
fi
root=${1:-$(dirname "$0")/..}
cd "$root" || { echo "$0: cannot enter $root" >&2; exit 2; }

# The comment leader of a source file, or nothing for any other file.
leader() {
  case "$1" in
    *.c | *.cc | *.cpp | *.cxx | *.h | *.hh | *.hpp) echo "//" ;;
    *.sh | *.py | *.cmake | CMakeLists.txt | */CMakeLists.txt) echo "#" ;;
  esac
}

# True when the file's first line, or its second after a "#!" line, carries an SPDX identifier.
has_identifier() {
  local first second
  { IFS= read -r first || true; IFS= read -r second || true; } <"$1"
  [[ "$first" == *SPDX-License-Identifier:* ]] && return 0
  [[ "$first" == '#!'* && "$second" == *SPDX-License-Identifier:* ]]
}

# Adds the line, keeping the file's line ends (CRLF stays CRLF) and its permissions.
add_identifier() {
  local file=$1 line=$2 first eol=""
  IFS= read -r first <"$file" || true
  [[ "$first" == *$'\r' ]] && eol=$'\r'
  local tmp
  tmp=$(mktemp "$file.spdx.XXXXXX")
  {
    if [[ "$first" == '#!'* ]]; then
      printf '%s\n' "$first"
      printf '%s%s\n' "$line" "$eol"
      tail -n +2 "$file"
    else
      printf '%s%s\n' "$line" "$eol"
      cat "$file"
    fi
  } >"$tmp"
  # Written back into the same file (not renamed over it): its mode and links stay.
  cat "$tmp" >"$file"
  rm -f "$tmp"
}

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  list_files() { git ls-files -z; }
else
  # A copy without git (an unpacked source archive): every file outside build trees.
  list_files() { find . \( -name '.?*' -o -path './build*' \) -prune -o -type f -print0 | sed -z 's|^\./||'; }
fi

lacking=0
while IFS= read -r -d '' file; do
  lead=$(leader "$file")
  [ -n "$lead" ] || continue
  [ -f "$file" ] && [ ! -L "$file" ] || continue
  has_identifier "$file" && continue
  if ((check)); then
    echo "$file: no SPDX-License-Identifier line"
    lacking=$((lacking + 1))
  else
    add_identifier "$file" "$lead $LINE_TEXT"
    echo "added: $file"
  fi
done < <(list_files)

if ((check)); then
  if ((lacking)); then
    echo "$lacking source file(s) lack the licence line; scripts/spdx.sh adds it" >&2
    exit 1
  fi
  echo "every source file carries its licence line"
fi
