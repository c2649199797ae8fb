#!/usr/bin/env bash
# scripts/check-layers on small fixture trees: it passes an include that goes
# down the order, and fails, naming the file and line, on one that goes up, on
# a folder the table does not know, and on a test-support header that reaches
# into the desktop client.
set -euo pipefail
check="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

tree() {  # tree NAME: a fresh fixture root with the folders every case uses
  local root="$work/$1"
  mkdir -p "$root/src/platform" "$root/src/util" "$root/src/ui/controls" "$root/tests/support"
  echo '#pragma once' > "$root/src/platform/socket.h"
  echo '#pragma once' > "$root/src/util/format.h"
  echo '#pragma once' > "$root/src/ui/controls/clipboard.h"
  echo "$root"
}

expect() {  # expect CODE ROOT [TEXT]: check-layers on ROOT exits CODE and prints TEXT
  local code=0 output
  output=$("$check" --root "$2" 2>&1) || code=$?
  if [ "$code" -ne "$1" ]; then
    echo "expected exit $1, got $code on $2:"; echo "$output"; exit 1
  fi
  if [ -n "${3:-}" ] && ! grep -qF "$3" <<<"$output"; then
    echo "expected '$3' in:"; echo "$output"; exit 1
  fi
}

down=$(tree down)
printf '#include "platform/socket.h"\n#include <vector>\n#include "missing/elsewhere.h"\n' > "$down/src/util/format.cpp"
expect 0 "$down"

up=$(tree up)
printf '// a leaf that reaches up\n#include "util/format.h"\n' > "$up/src/platform/socket.cpp"
expect 1 "$up" 'src/platform/socket.cpp:2: "util/format.h" goes from platform up to util'

unknown=$(tree unknown)
mkdir -p "$unknown/src/newpart"
printf '#include "platform/socket.h"\n' > "$unknown/src/newpart/thing.cpp"
expect 1 "$unknown" "the folder 'newpart' has no line in the table"

support=$(tree support)
printf '#include "ui/controls/clipboard.h"\n' > "$support/tests/support/helper.h"
expect 1 "$support" 'goes from support up to ui/controls'
echo "check-layers fixtures: all as expected"
