#!/usr/bin/env bash
# The house rules that the compiler does not check: clang-format's layout, and includes that
# only point down the layers.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0

if ! git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror 2>/tmp/clang-format.$$; then
    cat /tmp/clang-format.$$ >&2
    echo "check-style: files above differ from .clang-format (run clang-format -i on them)" >&2
    status=1
fi
rm -f /tmp/clang-format.$$

# folder: the project folders it may include from, besides itself.
declare -A allowed=(
    [platform]=""
    [common]="platform"
    [bridge]="common platform"
    [pages]="common platform"
    [config]="common platform"
    [app]="pages config bridge common platform"
    [cli]="app pages config bridge common platform"
    [gui]="app pages config bridge common platform"
    [main]="gui"
    [host]="common platform"
    [wire]="platform"
    [corvane]="wire common platform"
    [sim]="wire common platform"
)
folders="platform common bridge pages config app cli gui main host wire corvane sim tests bench"
for folder in "${!allowed[@]}"; do
    for file in $(git ls-files "$folder/*.cpp" "$folder/*.h"); do
        while IFS= read -r target; do
            top=${target%%/*}
            [ "$top" = "$folder" ] && continue
            case " $folders " in *" $top "*) ;; *) continue ;; esac
            case " ${allowed[$folder]} " in *" $top "*) continue ;; esac
            echo "check-style: $file includes $target: $folder/ may not include from $top/" >&2
            status=1
        done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
        # Only the window's folders use Qt.
        if [ "$folder" != gui ] && [ "$folder" != main ] && grep -q '^#include <Q' "$file"; then
            echo "check-style: $file includes a Qt header outside gui/" >&2
            status=1
        fi
    done
done
[ $status -eq 0 ] && echo "check-style: format and layers clean"
exit $status
