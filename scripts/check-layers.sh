#!/bin/bash
# Fails when a product folder includes a header of a folder above it. The order is the
# one the top-level CMakeLists.txt declares in TRACKWRIGHT_LAYERS, lowest first;
# folders joined by "|" are one layer and include none of each other.
#   scripts/check-layers.sh [source root]
set -euo pipefail
root="${1:-$(dirname "$0")/..}"
cd "$root"

layers=$(sed -n 's/^set(TRACKWRIGHT_LAYERS \(.*\))$/\1/p' CMakeLists.txt)
if [ -z "$layers" ]; then
  echo "check-layers: no set(TRACKWRIGHT_LAYERS ...) in CMakeLists.txt" >&2
  exit 2
fi

declare -A rank
level=0
for layer in $layers; do
  for folder in ${layer//|/ }; do rank[$folder]=$level; done
  level=$((level + 1))
done

status=0
for folder in "${!rank[@]}"; do
  [ -d "$folder" ] || { echo "check-layers: the declared folder $folder does not exist" >&2; status=1; continue; }
  while IFS=: read -r file line included; do
    target=${included#*\"}
    target=${target%%/*}
    [ -n "${rank[$target]+set}" ] || continue
    if [ "$target" != "$folder" ] && [ "${rank[$target]}" -ge "${rank[$folder]}" ]; then
      echo "$file:$line: $folder includes $target, which is not below it" >&2
      status=1
    fi
  done < <(grep -rnoE '#include "[a-z_]+/' "$folder" --include='*.h' --include='*.cpp' || true)
done
[ $status -eq 0 ] && echo "check-layers: every folder includes only the layers below it ($layers)"
exit $status
