# Re-makes a jar with every entry dated DATE (ISO-8601), its entries in the order they have, so
# that two builds of one source give the same bytes.
#   cmake -DJAR_TOOL=jar -DJAR=file.jar -DDATE=2024-05-06T07:08:09Z -P date-jar.cmake
set(dir ${JAR}.entries)
file(REMOVE_RECURSE ${dir})
file(MAKE_DIRECTORY ${dir})
function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${dir}
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN}: ${output}")
  endif()
  set(output "${output}" PARENT_SCOPE)
endfunction()
run(${JAR_TOOL} --list --file ${JAR})
string(REPLACE "\n" ";" entries "${output}")
run(${JAR_TOOL} --extract --file ${JAR})
# The jar tool makes the folder entries and the manifest's own entries itself; the manifest's
# contents are kept.
set(files)
foreach(entry IN LISTS entries)
  if(entry STREQUAL "" OR entry MATCHES "/$" OR entry STREQUAL "META-INF/MANIFEST.MF")
    continue()
  endif()
  string(APPEND files "${entry}\n")
endforeach()
file(WRITE ${JAR}.list "${files}")
set(manifest)
if(EXISTS ${dir}/META-INF/MANIFEST.MF)
  set(manifest --manifest=META-INF/MANIFEST.MF)
endif()
run(${JAR_TOOL} --create --date=${DATE} --file ${JAR}.dated ${manifest} @${JAR}.list)
file(RENAME ${JAR}.dated ${JAR})
file(REMOVE_RECURSE ${dir} ${JAR}.list)
