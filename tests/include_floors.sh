#!/usr/bin/env bash
# Fails when a file under src/ includes a folder above its own, or when files of
# one folder include each other in a circle. The folders stand in floors, from
# the ground up (the README's layout table, same order); a folder may include
# its own floor and those below it, never one above. Within a folder a header
# and its .cpp count as one unit (ui/skin_win), so a.cpp -> b.h with b.cpp -> a.h
# is a circle too.
#   tests/include_floors.sh SRC_DIR
set -euo pipefail
floors=(base coreapi settings net core ui tray app)
src=${1:?usage: include_floors.sh SRC_DIR}

declare -A rank
for i in "${!floors[@]}"; do rank[${floors[$i]}]=$i; done

files=0 checked=0 upward=0 circles=0
declare -A uses  # unit -> the units of its own folder it includes
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
    elif [[ $folder == "$own" ]]; then
      unit=${rel%.*} used=${target%.*}
      [[ $used == "$unit" ]] || uses[$unit]+=" $used"
    fi
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
           sed -E 's/^([0-9]+):[^"]*"([^"]+)".*/\1:\2/')
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)

# Depth-first walk; an include that reaches a unit still on the path closes a circle.
declare -A state  # 1 on the path, 2 done
path=()
walk() {
  local unit=$1 next i
  state[$unit]=1
  path+=("$unit")
  for next in ${uses[$unit]:-}; do
    if [[ ${state[$next]:-} == 1 ]]; then
      local circle="" on=""
      for i in "${path[@]}"; do
        [[ $i == "$next" ]] && on=1
        [[ -n $on ]] && circle+="$i -> "
      done
      echo "circle: $circle$next"
      circles=$((circles + 1))
    elif [[ -z ${state[$next]:-} ]]; then
      walk "$next"
    fi
  done
  unset 'path[${#path[@]}-1]'
  state[$unit]=2
}
for unit in $(printf '%s\n' "${!uses[@]}" | sort); do
  [[ -n ${state[$unit]:-} ]] || walk "$unit"
done

echo "include floors (${floors[*]}): $files files, $checked folder includes, $upward upward, $circles circles"
((files > 0 && upward == 0 && circles == 0))
