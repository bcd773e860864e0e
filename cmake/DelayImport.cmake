# Delay-import libraries. A DLL imported through one of these is loaded on the first call into it,
# by which time the program has limited the DLL search to the system folder; a DLL imported the
# ordinary way is loaded before any of the program's code runs, and the loader looks for it in the
# program's own folder first.
#
# pallux_delay_import(<target> <name>...) makes `-l<name>` resolve, for <target> alone, to a
# delay-import library of every function the toolchain's lib<name>.a names. Other targets keep the
# ordinary import libraries. On i686 the link fails when any object of <target> calls one of those
# functions through its import slot (declared dllimport): dlltool leaves that slot empty there.
function(pallux_delay_import target)
  set(folder ${CMAKE_BINARY_DIR}/delay-import)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(stdcall ON)  # 32-bit names carry a leading underscore and an @N suffix
  else()
    set(stdcall OFF)
  endif()
  set(outputs)
  foreach(name IN LISTS ARGN)
    find_library(pallux_import_${name} NAMES lib${name}.a ${name} REQUIRED)
    set(output ${folder}/lib${name}.a)
    if(NOT TARGET pallux_delay_${name})
      add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL} -DIMPORT_LIBRARY=${pallux_import_${name}}
                -DDLL=${name}.dll -DSTDCALL=${stdcall} -DOUTPUT=${output}
                -P ${PROJECT_SOURCE_DIR}/cmake/MakeDelayImport.cmake
        DEPENDS ${pallux_import_${name}} ${PROJECT_SOURCE_DIR}/cmake/MakeDelayImport.cmake
        COMMENT "Delay-import library for ${name}.dll")
      add_custom_target(pallux_delay_${name} DEPENDS ${output})
    endif()
    add_dependencies(${target} pallux_delay_${name})
    list(APPEND outputs ${output})
  endforeach()
  # Searched before the toolchain's own folder, so the delay-import library wins over lib<name>.a.
  target_link_directories(${target} PRIVATE ${folder})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${outputs})
  if(stdcall)
    set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
    list(TRANSFORM outputs APPEND .def OUTPUT_VARIABLE defs)
    list(JOIN defs "|" defs)
    target_link_options(${target} PRIVATE -Wl,-Map=${map},--cref)
    # The map's headings follow the linker's language: the check reads the English ones, whatever
    # locale the build runs in (the tests build packages under a Chinese one).
    set_property(TARGET ${target} PROPERTY CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env LC_ALL=C)
    set_property(TARGET ${target} PROPERTY C_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env LC_ALL=C)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -DMAP=${map} -DDEFS=${defs} -DPROGRAM=$<TARGET_FILE:${target}>
              -P ${PROJECT_SOURCE_DIR}/cmake/CheckDelayImports.cmake
      VERBATIM)
  endif()
endfunction()
