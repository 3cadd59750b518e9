#!/bin/sh
# The file-name check refuses each name a Windows or macOS checkout cannot
# hold, and passes look-alikes that Windows takes.
#   check_file_names_test.sh CHECKER
set -u
checker="$1"
failed=0
check() {  # expected status, then the paths
  expected="$1"
  shift
  printf '%s\n' "$@" | python3 "$checker" - >/dev/null
  status=$?
  if [ "$status" -ne "$expected" ]; then
    echo "status $status, expected $expected, for: $*"
    failed=1
  fi
}

check 1 ui/main.cpp ui/Main.cpp
check 1 ui/window/a.cpp UI/about/b.cpp           # folders collide too
for bad in con CON.txt aux.h docs/Nul 'nul .csv' prn.tar.gz com1 x/COM9.md lpt1 LPT9.log \
  'trailing.' 'trailing ' 'a<b' 'a>b' 'a:b' 'a"b' 'a|b' 'a?b' 'a*b' 'a\b' "$(printf 'a\tb')" \
  'folder./x.cpp'; do
  check 1 "$bad"
done
check 0 console.cpp com10.txt lpt0.txt auxiliary/nul_device.cpp con-test/a.cpp .clang-format \
  ui/main.cpp ui/window/main.cpp 'a b.txt' 日本語.csv
exit "$failed"
