#!/usr/bin/env bash
# Keydeck's folders lie in layers: the shell wires the subsystems together,
# so no subsystem reaches up into it, and the window toolkit and the
# late-bound imports lie below every subsystem, so they reach into none.
# Fails with one line per breach (file:line: the line), for an #include
# and for a CMake file that names a folder or a library above it.
# Usage: check_includes.sh [source root]
set -uo pipefail
root="$(cd "${1:-"$(dirname "$0")/../.."}" && pwd)" || exit 2
cd "$root" || exit 2

below_all="keydeck/shell keydeck/actions keydeck/media keydeck/status keydeck/resources"
# folders | the folders they must not reach
rules=(
  "keydeck/actions keydeck/media keydeck/status|keydeck/shell"
  "keydeck/ui|$below_all"
  "keydeck/imports|$below_all keydeck/ui"
)

breaches=0
breach() {  # file, line number, text, what it reaches
  echo "$1:$2: $3    <- reaches $4"
  breaches=$((breaches + 1))
}

# An include as the compiler finds it: beside the including file first,
# then from the source root (the one include directory).
resolve() {  # file, included name
  local path="$2"
  if [ -e "${1%/*}/$2" ]; then path="${1%/*}/$2"; fi
  case "$path" in
    */../* | ../* | */./* | ./*) realpath -m --relative-to=. "$path" ;;
    *) echo "$path" ;;
  esac
}

# The libraries and executables a folder's CMake files define.
targets_of() {  # folder
  find "$1" -name CMakeLists.txt -exec sed -n 's/^[[:space:]]*add_\(library\|executable\)(\([A-Za-z0-9_]*\).*/\2/p' {} +
}

include_line='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^">]*)[">]'
check_sources() {  # folder, forbidden folders...
  local folder=$1; shift
  local file number text name target bad
  while IFS=: read -r file number text; do
    [[ "$text" =~ $include_line ]] || continue
    name="${BASH_REMATCH[1]}"
    target="$(resolve "$file" "$name")"
    for bad in "$@"; do
      case "$target" in "$bad"/*) breach "$file" "$number" "$text" "$bad" ;; esac
    done
  done < <(grep -rnE --include='*.h' --include='*.cpp' --include='*.inc' --include='*.rc' \
             '^[[:space:]]*#[[:space:]]*include' "$folder")
}

check_cmake() {  # folder, forbidden folders...
  local folder=$1; shift
  local file number text code bad targets
  declare -A path target
  for bad in "$@"; do
    targets="$(targets_of "$bad" | paste -sd'|')"
    # A path into the folder, or one of its targets as a whole argument.
    path[$bad]="(^|[^A-Za-z0-9_])(keydeck/)?${bad#keydeck/}/"
    target[$bad]="(^|[[:space:](\"])(${targets:-no target})([[:space:])\"]|\$)"
  done
  while IFS=: read -r file number text; do
    code="${text%%#*}"  # comments may name anything
    for bad in "$@"; do
      if [[ "$code" =~ ${path[$bad]} || "$code" =~ ${target[$bad]} ]]; then
        breach "$file" "$number" "$text" "$bad"
      fi
    done
  done < <(find "$folder" -name CMakeLists.txt -exec grep -Hn '' {} +)
}

for rule in "${rules[@]}"; do
  for folder in ${rule%%|*}; do
    [ -d "$folder" ] || continue
    check_sources "$folder" ${rule#*|}
    check_cmake "$folder" ${rule#*|}
  done
done

if [ "$breaches" -gt 0 ]; then
  echo "layout: $breaches line(s) reach a folder above their own"
  exit 1
fi
echo "layout: the subsystems stay below the shell, the toolkit and the imports below them"
