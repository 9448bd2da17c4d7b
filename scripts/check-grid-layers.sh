#!/usr/bin/env bash
# Checks that every include between the grid's folders goes down the order of layers stated in
# grid/README.md (the line "layers: ..."); prints each include that climbs as FILE:LINE and
# fails when there is one.
#   scripts/check-grid-layers.sh [ROOT]        (default: this checkout)
set -euo pipefail
root="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
order_line="$(grep -m1 '^layers:' "$root/grid/README.md" || true)"
[ -n "$order_line" ] || { echo "check-grid-layers: no 'layers:' line in $root/grid/README.md" >&2; exit 2; }
read -r -a layers <<<"${order_line#layers:}"
declare -A rank=()
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done

status=0
while IFS= read -r -d '' file; do
  rel="${file#"$root"/}"
  folder="$(cut -d/ -f2 <<<"$rel")"
  if [ -z "${rank[$folder]+x}" ]; then
    echo "$rel: the folder '$folder' is not among the layers of grid/README.md" >&2
    status=1
    continue
  fi
  while IFS=: read -r line target; do
    [ -n "$line" ] || continue
    to="$(cut -d/ -f2 <<<"$target")"
    if [ -z "${rank[$to]+x}" ] || [ "${rank[$to]}" -gt "${rank[$folder]}" ]; then
      echo "$rel:$line: includes $target, but '$to' is not below '$folder'" >&2
      status=1
    fi
  done < <(grep -n -o '#include "grid/[^"]*"' "$file" | sed 's/#include "\(.*\)"/\1/')
done < <(find "$root/grid" -mindepth 2 \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)

[ "$status" -eq 0 ] && echo "check-grid-layers: every include goes down: ${layers[*]}"
exit "$status"
