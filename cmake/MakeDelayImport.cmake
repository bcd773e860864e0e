# Script mode: writes a .def of every function IMPORT_LIBRARY imports from DLL and makes a
# delay-import library of it with dlltool. Inputs: NM, DLLTOOL, IMPORT_LIBRARY, DLL, STDCALL, OUTPUT.
execute_process(COMMAND ${NM} -g ${IMPORT_LIBRARY} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
if(STDCALL)
  string(REGEX MATCHALL "__imp__[^ \r\n]+" imports "${symbols}")
  list(TRANSFORM imports REPLACE "^__imp__" "")
  set(kill_at --kill-at)  # the DLL exports the names without @N
else()
  string(REGEX MATCHALL "__imp_[^ \r\n]+" imports "${symbols}")
  list(TRANSFORM imports REPLACE "^__imp_" "")
  set(kill_at)
endif()
list(REMOVE_DUPLICATES imports)
list(SORT imports)
if(NOT imports)
  message(FATAL_ERROR "${IMPORT_LIBRARY} names no functions")
endif()

list(JOIN imports "\n" exports)
get_filename_component(folder ${OUTPUT} DIRECTORY)
set(def ${OUTPUT}.def)
file(MAKE_DIRECTORY ${folder})
file(WRITE ${def} "LIBRARY ${DLL}\nEXPORTS\n${exports}\n")
execute_process(COMMAND ${DLLTOOL} ${kill_at} --input-def ${def} --dllname ${DLL} --output-delaylib ${OUTPUT}
                COMMAND_ERROR_IS_FATAL ANY)
