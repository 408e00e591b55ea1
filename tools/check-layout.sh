#!/usr/bin/env bash
# Checks that every include of the program's sources points at its own folder or at a folder
# below it, as the README's layout list orders them. Prints each include that points upwards
# and fails if there is one. Run by CTest as the test LayoutIncludesPointDownwards.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

# The folders a folder may include besides itself; keep in step with the README.
declare -A allowed=(
  [framework]=""
  [res]=""
  [areas]="framework res"
  [skin]="framework"
  [tray]="framework"
  [bar]="areas skin tray framework res"
  [app]="bar areas skin tray framework res"
)

bad=0
for folder in "${!allowed[@]}"; do
  for file in "$folder"/*; do
    case "$file" in *.h | *.cpp | *.c | *.rc) ;; *) continue ;; esac
    while IFS= read -r name; do
      if [[ "$name" == */* ]]; then
        target=${name%%/*}
      elif [ -e "$folder/$name" ]; then
        target=$folder
      elif [ -e "framework/$name" ]; then
        target=framework # found through the framework's include folder
      else
        echo "$file: includes \"$name\", which is in no folder of the program"
        bad=1
        continue
      fi
      [ "$target" = "$folder" ] && continue
      case " ${allowed[$folder]} " in
        *" $target "*) ;;
        *) echo "$file: includes \"$name\" from $target/, which is not below $folder/"
           bad=1 ;;
      esac
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
  done
done
[ $bad -eq 0 ] && echo "every include of the program points at its own folder or below"
exit $bad
