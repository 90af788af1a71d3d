#!/usr/bin/env bash
# Runs a program under valgrind's memcheck, writing the report to $VALGRIND_LOG.
# Qt's regular expressions (the file dialog's filters) run PCRE2's JIT code, which memcheck cannot
# follow: it reports branches on bytes the JIT knows are set. The interpreter gives the same results.
export QT_ENABLE_REGEXP_JIT=0
exec valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite \
  --errors-for-leak-kinds=definite --track-origins=yes --num-callers=30 \
  --suppressions="$(dirname "$0")/toolkit_libraries.supp" \
  --child-silent-after-fork=yes --log-file="$VALGRIND_LOG" "$@"
