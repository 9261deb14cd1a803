# Reads the layering table of docs/architecture.md: lines "allow LIB: LOWER..."
# name the libraries and what each may include; lines "except FILE -> HEADER"
# name single includes allowed against the table. The include-edge test and
# the build read the same lines, so the table cannot drift from either.
#
# Sets LAYERING_LIBRARIES, LAYERING_ALLOW_<lib> and LAYERING_EXCEPTIONS
# (a list of "FILE -> HEADER") in the caller's scope.
function(read_layering doc)
  file(STRINGS ${doc} allow_lines REGEX "^allow [a-z]+:( [a-z]+)*$")
  file(STRINGS ${doc} except_lines REGEX "^except [^ ]+ -> [^ ]+$")
  if(NOT allow_lines)
    message(FATAL_ERROR "${doc} has no layering table (lines \"allow LIB: ...\")")
  endif()
  set(libraries)
  foreach(line IN LISTS allow_lines)
    string(REGEX MATCH "^allow ([a-z]+):(.*)$" _ "${line}")
    set(lib ${CMAKE_MATCH_1})
    string(STRIP "${CMAKE_MATCH_2}" lower)
    separate_arguments(lower UNIX_COMMAND "${lower}")
    list(APPEND libraries ${lib})
    set(LAYERING_ALLOW_${lib} ${lower} PARENT_SCOPE)
  endforeach()
  set(exceptions)
  foreach(line IN LISTS except_lines)
    if(NOT line MATCHES "^except ([^ ]+) -> ([^ ]+)")
      message(FATAL_ERROR "bad exception line in ${doc}: ${line}")
    endif()
    list(APPEND exceptions "${CMAKE_MATCH_1} -> ${CMAKE_MATCH_2}")
  endforeach()
  set(LAYERING_LIBRARIES ${libraries} PARENT_SCOPE)
  set(LAYERING_EXCEPTIONS ${exceptions} PARENT_SCOPE)
endfunction()
