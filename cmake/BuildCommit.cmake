# cmake -DSOURCE_DIR=... -DOUTPUT=buildcommit.h [-DCOMMIT=...] -P BuildCommit.cmake
# Writes the commit the build is made from; "unknown" outside a git checkout (a source
# archive names it with -DTAVRIX_COMMIT). Local changes are owned up to with "+modified".
if(NOT COMMIT)
  set(COMMIT unknown)
  find_program(_git git)
  if(_git)
    execute_process(COMMAND ${_git} -C ${SOURCE_DIR} rev-parse --short=12 HEAD
      OUTPUT_VARIABLE _head OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE _failed ERROR_QUIET)
    if(NOT _failed AND _head)
      set(COMMIT ${_head})
      execute_process(COMMAND ${_git} -C ${SOURCE_DIR} status --porcelain --untracked-files=no
        OUTPUT_VARIABLE _changes ERROR_QUIET)
      if(_changes)
        string(APPEND COMMIT "+modified")
      endif()
    endif()
  endif()
endif()
set(_text "#pragma once\n#define TAVRIX_COMMIT \"${COMMIT}\"\n")
set(_old "")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} _old)
endif()
if(NOT _old STREQUAL _text)
  file(WRITE ${OUTPUT} "${_text}")
endif()
