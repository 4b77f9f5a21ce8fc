# The program's resources from one resource script: compiled by windres into the resource
# section on Windows, by cmake/rc2table.py into compiled-in tables elsewhere.
#   quillet_add_resources(TARGET target RC script.rc [INCLUDE_DIRS dir...] [DEPENDS file...])
# INCLUDE_DIRS are searched for the files the script names (bitmaps, icons); DEPENDS are files
# made by the build that the script reads.
function(quillet_add_resources)
  cmake_parse_arguments(R "" "TARGET;RC" "INCLUDE_DIRS;DEPENDS" ${ARGN})
  get_filename_component(script ${R_RC} ABSOLUTE)
  if(WIN32)
    target_sources(${R_TARGET} PRIVATE ${script})
    set_property(SOURCE ${script} APPEND PROPERTY INCLUDE_DIRECTORIES ${R_INCLUDE_DIRS})
    set_property(SOURCE ${script} APPEND PROPERTY OBJECT_DEPENDS ${R_DEPENDS})
  else()
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    get_filename_component(base ${R_RC} NAME_WE)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${R_TARGET}_${base}_resources.cpp)
    set(includes)
    foreach(d ${R_INCLUDE_DIRS})
      list(APPEND includes -I ${d})
    endforeach()
    add_custom_command(OUTPUT ${output}
      COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/cmake/rc2table.py ${script} ${output} ${includes}
      DEPENDS ${script} ${CMAKE_SOURCE_DIR}/cmake/rc2table.py ${R_DEPENDS}
      COMMENT "Compiling the resources of ${R_TARGET}"
      VERBATIM)
    target_sources(${R_TARGET} PRIVATE ${output})
    target_include_directories(${R_TARGET} PRIVATE ${CMAKE_SOURCE_DIR}/classlib/include)
  endif()
endfunction()
