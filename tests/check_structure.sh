#!/usr/bin/env bash
# The shape of src/ that the design relies on:
# - each folder includes only the folders below it: the document (tex) uses
#   the model and the output plumbing (io), never the reader;
# - no mutable state at namespace scope or in a static inside a function:
#   every value of a run is passed to the step that uses it. Checked on the
#   objects that the libraries place in writable sections, and on the
#   sources' extern declarations of non-const objects.
# Usage: check_structure.sh LIBRARY...
set -u
cd "$(dirname "$0")/.." || exit 1
status=0

# The folders of ours that each folder may include.
declare -A allowed=(
  [calendar]="calendar"
  [model]="calendar model"
  [io]="io"
  [reading]="calendar model io reading"
  [tex]="calendar model io tex"
  [app]="calendar model io reading tex app"
  [ics]="calendar model ics"
  [breaks]="breaks"
)
for folder in src/*/; do
  folder=${folder#src/}
  folder=${folder%/}
  [ "$folder" = pdf ] && continue
  [ -n "${allowed[$folder]+set}" ] || { echo "FAIL: src/$folder has no place among the layers"; status=1; continue; }
  while IFS=: read -r file line included; do
    case " ${allowed[$folder]} " in
      *" ${included%%/*} "*) ;;
      *) echo "FAIL: $file:$line includes $included, outside what src/$folder may use"; status=1 ;;
    esac
  done < <(grep -rnoE '^#include "[a-z_]+/' "src/$folder" | sed -E 's/#include "//; s/\/$//')
done

# DW.ref.* are the compiler's own pointers for exception handling.
writable=$(objdump -t "$@" | awk '/ O / && $4 ~ /^\.(bss|data|tbss|tdata)/ && $4 !~ /^\.data\.rel\.ro/ {print $NF}' |
  grep -v '^DW\.ref\.' | c++filt)
if [ -n "$writable" ]; then
  echo "FAIL: mutable objects in the libraries:"
  echo "$writable"
  status=1
fi
if grep -rnE '^\s*extern\s' src | grep -vE 'extern\s+("C"|const|constexpr)\b'; then
  echo "FAIL: extern declarations of non-const objects"
  status=1
fi
[ "$status" -eq 0 ] && echo "ok   the layers of src/ and no mutable state"
exit "$status"
