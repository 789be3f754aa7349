# Compares the dynamic symbols a shared library defines with a list of
# expected names, and that it imports the names in WEAK_IMPORTS (comma
# separated) weakly. Usage:
# cmake -DLIBRARY=... -DEXPECTED=... -DNM=... [-DWEAK_IMPORTS=a,b] -P check_exports.cmake
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE nm_output RESULT_VARIABLE nm_result)
if(NOT nm_result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()

string(REGEX MATCHALL "[^\n]+" nm_lines "${nm_output}")
set(exported)
foreach(line IN LISTS nm_lines)
  # "address type name". Version nodes (type A) are no exports, nor are the
  # markers a sanitizer build adds for every exported variable.
  if(line MATCHES "^[0-9a-fA-F]* +([A-Za-z]) +([^ ]+)$" AND NOT CMAKE_MATCH_1 STREQUAL "A")
    set(name ${CMAKE_MATCH_2})
    if(NOT name MATCHES "^__(odr_)?asan")
      list(APPEND exported ${name})
    endif()
  endif()
endforeach()

file(STRINGS ${EXPECTED} expected_lines)
set(expected)
foreach(line IN LISTS expected_lines)
  if(NOT line MATCHES "^#" AND NOT line STREQUAL "")
    list(APPEND expected ${line})
  endif()
endforeach()

set(unexpected ${exported})
list(REMOVE_ITEM unexpected ${expected})
set(missing ${expected})
list(REMOVE_ITEM missing ${exported})
if(unexpected OR missing)
  message(FATAL_ERROR "exports of ${LIBRARY} differ from ${EXPECTED}\n"
    "  exported but not expected: ${unexpected}\n  expected but not exported: ${missing}")
endif()
list(LENGTH exported count)
message(STATUS "${count} exported names, as expected")

# Hooks a process may leave undefined: weak imports, so that the library
# still loads without them; a hidden one would be bound to null at link time.
string(REPLACE "," ";" weak_imports "${WEAK_IMPORTS}")
execute_process(COMMAND ${NM} -D --undefined-only ${LIBRARY} OUTPUT_VARIABLE undefined_output)
foreach(name IN LISTS weak_imports)
  if(NOT undefined_output MATCHES " w ${name}\n")
    message(FATAL_ERROR "${LIBRARY} does not import ${name} weakly")
  endif()
endforeach()
