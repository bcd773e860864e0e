# Script mode: fails, and deletes PROGRAM, when the linker's cross-reference table in MAP shows any
# object of PROGRAM referencing the import slot (__imp_) of a function that one of the .def files
# in DEFS (separated by |) lists. Those slots belong to delay-import libraries, and on i686 a call
# through one (a function declared dllimport in its header) finds it empty: a call to nowhere.
# Such a function must be called without dllimport, or through the address GetProcAddress gives.
string(REPLACE "|" ";" defs "${DEFS}")
set(delayed)
foreach(def IN LISTS defs)
  file(STRINGS ${def} lines)
  list(FILTER lines EXCLUDE REGEX "^(LIBRARY|EXPORTS)")
  list(APPEND delayed ${lines})
endforeach()

file(READ ${MAP} map)
string(FIND "${map}" "\nCross Reference Table" start)
if(start EQUAL -1)
  file(REMOVE ${PROGRAM})
  message(FATAL_ERROR "${MAP} has no cross-reference table")
endif()
string(SUBSTRING "${map}" ${start} -1 table)
# An entry: the symbol and the file defining it (on the next line when the name is long), then one
# indented line for each file that refers to it.
string(REGEX MATCHALL "\n_imp__[^ \n]+( +|\n +)[^\n]+(\n +[^\n]+)+" referenced "${table}")
set(offending)
foreach(entry IN LISTS referenced)
  string(REGEX MATCH "^\n_imp__([^ \n]+)" symbol "${entry}")
  set(function ${CMAKE_MATCH_1})
  list(FIND delayed "${function}" found)
  if(NOT found EQUAL -1)
    string(REGEX REPLACE "^\n_imp__[^ \n]+( +|\n +)[^\n]+\n +" "" callers "${entry}")
    string(REGEX REPLACE "\n +" ", " callers "${callers}")
    string(APPEND offending "\n  ${function} in ${callers}")
  endif()
endforeach()
if(offending)
  file(REMOVE ${PROGRAM})
  message(FATAL_ERROR "These objects call delay-imported functions through their import slots, which the "
                      "32-bit delay-import libraries leave empty (declare them without dllimport, or call "
                      "them through GetProcAddress):${offending}")
endif()
