# Every shell script of the tree, known by its first line (tools/lib.sh, sourced,
# by its name): shellcheck finds nothing in it (.shellcheckrc says what it leaves
# out, and why), and each that runs sets `set -euo pipefail`, so that a failing
# step ends it, inside a pipe too.
#   cmake -DTOP=SOURCE_DIR -P tests/shell.cmake
file(GLOB candidates ${TOP}/play ${TOP}/run-tests ${TOP}/.ci/* ${TOP}/tools/* ${TOP}/tests/*
  ${TOP}/bench/* ${TOP}/debian/tests/*)
foreach(file IN LISTS candidates)
  file(STRINGS ${file} first LIMIT_COUNT 1)
  if(first MATCHES "^#!.*(bash|sh)$")
    file(STRINGS ${file} strict REGEX "^set -euo pipefail$")
    if(NOT strict)
      list(APPEND lax ${file})
    endif()
  elseif(NOT file MATCHES "\\.sh$")
    continue()
  endif()
  list(APPEND scripts ${file})
endforeach()
execute_process(COMMAND shellcheck ${scripts} RESULT_VARIABLE status)
list(LENGTH scripts count)
if(lax)
  message(FATAL_ERROR "without `set -euo pipefail`: ${lax}")
elseif(NOT status EQUAL 0)
  message(FATAL_ERROR "shellcheck finds the above in the ${count} shell scripts")
endif()
message("${count} shell scripts, shellcheck clean, each with set -euo pipefail")
