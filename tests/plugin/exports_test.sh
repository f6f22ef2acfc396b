#!/bin/sh
# Bramlet.wlx's dynamic symbol table holds the seven host functions and nothing
# else of ours: no C++ symbol can clash with the host's or another plug-in's.
# Usage: exports_test.sh MODULE
set -eu
expected="ListCloseWindow ListGetDetectString ListLoad ListLoadW ListSearchTextW ListSendCommand ListSetDefaultParams"
# The linker's own markers (_edata, _end, __bss_start) are in every object.
got=$(nm -D --defined-only "$1" | awk '{print $3}' | grep -vx '_edata\|_end\|__bss_start' | sort | tr '\n' ' ')
if [ "${got% }" != "$expected" ]; then
  echo "exports_test: $1 exports: $got" >&2
  echo "exports_test: expected:   $expected" >&2
  exit 1
fi
# Each export is a function (type T), in the text section.
[ "$(nm -D --defined-only "$1" | awk '$3 ~ /^List/ && $2 != "T"' | wc -l)" -eq 0 ]
