#!/usr/bin/env bash
# Fails when a file under src/ includes a folder above its own. The folders
# stand in floors, from the ground up (the README's layout table, same order);
# a folder may include its own floor and those below it, never one above.
#   tests/include_floors.sh SRC_DIR
set -euo pipefail
floors=(base coreapi settings net core ui tray app)
src=${1:?usage: include_floors.sh SRC_DIR}

declare -A rank
for i in "${!floors[@]}"; do rank[${floors[$i]}]=$i; done

files=0 checked=0 upward=0
while IFS= read -r -d '' file; do
  rel=${file#"$src"/}
  own=${rel%%/*}
  files=$((files + 1))
  if [[ -z ${rank[$own]+set} ]]; then
    echo "$rel: folder '$own' stands on no floor (add it to the list in this script and the README)"
    upward=$((upward + 1))
    continue
  fi
  while IFS=: read -r line target; do
    [[ $target == */* ]] || continue
    folder=${target%%/*}
    checked=$((checked + 1))
    if [[ -z ${rank[$folder]+set} ]]; then
      echo "$rel:$line: includes \"$target\" from '$folder', which stands on no floor"
      upward=$((upward + 1))
    elif ((rank[$folder] > rank[$own])); then
      echo "$rel:$line: includes \"$target\": '$folder' stands above '$own'"
      upward=$((upward + 1))
    fi
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
           sed -E 's/^([0-9]+):[^"]*"([^"]+)".*/\1:\2/')
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)

echo "include floors (${floors[*]}): $files files, $checked folder includes, $upward upward"
((files > 0 && upward == 0))
