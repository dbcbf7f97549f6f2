#!/usr/bin/env bash
# The folders are the layers and each is one build target: a folder includes headers only of its
# own and of the folders below it, its CMake files name only its own sources, and its targets
# link only targets of the folders below it. From the bottom:
#   image (PNG decoding), platform (OS services)
#   dxblit (drawing, with the GL context bindings in native/), plugcore (the plug-in core)
#   text, then gui (the toolkit, with its native windows, menus and dialogs in native/)
#   effect, then module (the exports) over everything, and vst3 (the VST 3 glue and its module)
#   over that; resources are data the modules link.
#   check-layers.sh SOURCE_ROOT
set -euo pipefail
root=$(cd "$1" && pwd)

declare -A below=(
  [image]=""
  [platform]=""
  [resources]=""
  [dxblit]="platform"
  [plugcore]="platform"
  [text]="dxblit platform"
  [gui]="text dxblit plugcore image platform"
  [effect]="gui text dxblit plugcore image platform"
  [module]="effect gui text dxblit plugcore image platform resources"
  [vst3]="module effect gui text dxblit plugcore image platform resources"
)
declare -A folderOfTarget=(
  [png_decoder]=image [platform]=platform [dxblit]=dxblit [plugcore]=plugcore [text]=text
  [gui]=gui [quorl_effect]=effect [Quorl]=module [quorl_module_entry]=module
  [quorl_resources]=resources [quorl_module_resources]=resources [quorl_vst3_glue]=vst3
  [Quorl_vst3]=vst3
)
problems=0
complain() {
  echo "$*"
  problems=$((problems + 1))
}
allowed() { [ "$1" = "$2" ] || [[ " ${below[$1]} " == *" $2 "* ]]; }

for folder in "${!below[@]}"; do
  [ -d "$root/$folder" ] || { complain "$folder: no such folder"; continue; }
  while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    used=$(sed -E 's/^[0-9]+:[[:space:]]*#[[:space:]]*include "([A-Za-z0-9_]+)\/.*/\1/' <<<"$rest")
    [ -n "${below[$used]+known}" ] || continue
    allowed "$folder" "$used" || complain "${file#"$root"/}:${rest%%:*}: $folder includes $used"
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include "[A-Za-z0-9_]+/' "$root/$folder" \
             --include='*.h' --include='*.cpp' || true)

  while IFS= read -r list; do
    where=${list#"$root"/}
    while IFS= read -r hit; do
      complain "$where:${hit%%:*}: names a file outside $folder: ${hit#*:}"
    done < <(grep -nE '\$\{PROJECT_SOURCE_DIR\}/[A-Za-z]|\.\./' "$list" || true)
    # What its targets link: a whole command may span lines, so the file is read as one.
    links=$(tr '\n' ' ' <"$list" | grep -oE 'target_link_libraries\([^)]*\)' || true)
    for word in $links; do
      word=${word#target_link_libraries(}
      word=${word%)}
      used=${folderOfTarget[$word]:-}
      [ -n "$used" ] || continue
      allowed "$folder" "$used" || complain "$where: $folder links $word of $used"
    done
  done < <(find "$root/$folder" -name CMakeLists.txt -o -name '*.cmake')
done

if [ "$problems" -gt 0 ]; then
  echo "FAILED: $problems places cross the layers"
  exit 1
fi
echo "layers: ${#below[@]} folders, every include, source list and link within its layer or below"
