#!/usr/bin/env bash
# The layering check passes on the sources, and fails on a copy in which the
# engine reaches into the wizard, the engine into the program entry, the
# toolkit into a higher layer, or two units include each other.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
check="$root/scripts/check-layers"
python3 "$check" "$root/src"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for planted in 'engine/x.cpp:#include "wizard/navigation.h"' \
               'engine/x.h:#include "startup/program_entry.h"' \
               'toolkit/x.cpp:#include "lang/messages.h"' \
               'archive/x.cpp:#include "engine/progress.h"'; do
  file=${planted%%:*}
  rm -rf "$work/src" && mkdir -p "$work/src/$(dirname "$file")"
  echo "${planted#*:}" >"$work/src/$file"
  if python3 "$check" "$work/src" >/dev/null; then
    echo "layers_check: '$planted' passed the check" >&2
    exit 1
  fi
done
# A circle: two units of one folder that include each other.
rm -rf "$work/src" && mkdir -p "$work/src/engine"
echo '#include "engine/b.h"' >"$work/src/engine/a.cpp"
echo '#include "engine/a.h"' >"$work/src/engine/b.cpp"
touch "$work/src/engine/a.h" "$work/src/engine/b.h"
if python3 "$check" "$work/src" >/dev/null; then
  echo "layers_check: a circle of units passed the check" >&2
  exit 1
fi
echo "layers_check: ok"
