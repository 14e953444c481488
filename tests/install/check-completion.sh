#!/usr/bin/env bash
# Runs the bash completion of varko-search as bash-completion would: names with blanks come
# back as one word marked as file names, folders alone after --folder, and the options complete.
set -uo pipefail
completion=$1
lib=/usr/share/bash-completion/bash_completion
[ -r "$lib" ] || { echo "no bash-completion: skipped"; exit 0; }
# shellcheck disable=SC1090
source "$lib"
source "$completion"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir "my folder" "other"
touch "my file.txt"

# compopt works only inside a real completion; here it records what it was asked.
compopt() { local IFS=' '; options+=" $*"; }

failed=0
# option compopt was given (or none) | the line | the words expected, one per field
cases=(
  "-o filenames|varko-search --folder my|my folder"
  "-o filenames|varko-search -r --folder o|other"
  "-o filenames|varko-search --strings-file my|my file.txt|my folder"
  "-o filenames|varko-search --export-html my|my file.txt|my folder"
  "|varko-search --dry|--dry-run"
  "|varko-search --undo|--undo-last-replace"
  "|varko-search --no-match-|--no-match-files|--no-match-lines"
  "|varko-search --string my|"
)
for c in "${cases[@]}"; do
  IFS='|' read -r -a parts <<<"$c"
  want_option=${parts[0]}
  line=${parts[1]}
  want=$(printf '%s\n' "${parts[@]:2}" | sed '/^$/d' | sort)
  read -r -a COMP_WORDS <<<"$line"
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE=$line
  COMP_POINT=${#line}
  COMPREPLY=()
  options=""
  _varko_search
  # Readline adds the slash to folders; some versions of _filedir add it themselves.
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sed -e 's#/$##' -e '/^$/d' | sort)
  if [ "$got" != "$want" ]; then
    echo "'$line': got [$(tr '\n' '|' <<<"$got")], want [$(tr '\n' '|' <<<"$want")]"
    failed=1
  fi
  if [ -n "$want_option" ] && [[ $options != *"$want_option"* ]]; then
    echo "'$line': compopt$options, want $want_option"
    failed=1
  fi
done
[ "$failed" = 0 ] && echo "completion ok"
exit "$failed"
