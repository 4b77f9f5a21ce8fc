# The Windows Installer package, run by CPack after the NSIS installer is made (CPack on Linux has
# no WiX generator): wixl builds quillet-VERSION-winNN.msi from the same staged, stripped and
# (when a certificate is given) signed files, straight into the packages folder, where sign.cmake,
# the next script, signs it (QUILLET_MSI_FILE tells it which file).
#
# Two builds of one commit give the same bytes, so the codes that Windows Installer wants unique
# are derived rather than drawn: each is a name-based UUID (SHA-1) in the architecture's fixed
# UpgradeCode, of the version for the ProductCode (one per release and architecture, as Windows
# Installer requires of a product whose version changes) and of a hash of the package's whole
# source (the WiX text and every staged file) for the PackageCode (which must change whenever
# the package does); each component's of its file name. The times that wixl takes from the clock
# (the summary information's, and the staged files' in the cabinet) are the release's
# SOURCE_DATE_EPOCH.
set(QUILLET_MSI_FILE)
if(NOT CPACK_GENERATOR STREQUAL "NSIS")
  return()
endif()
foreach(tool IN ITEMS CPACK_QUILLET_WIXL CPACK_QUILLET_PYTHON)
  if(NOT ${tool})
    message(FATAL_ERROR "MSI: ${tool} is not set: install wixl (Debian package wixl) and configure again")
  endif()
endforeach()

# The release version MAJOR.MINOR followed by at most one letter (3.4a) is no Windows Installer
# version, which has numbers alone and compares only the first three. It becomes MAJOR.MINOR.N,
# N the letter's place in the alphabet and 0 without one: 3.4 -> 3.4.0, 3.4a -> 3.4.1,
# 3.4b -> 3.4.2, 3.5 -> 3.5.0. Releases keep their order, so an upgrade is always recognised.
if(NOT CPACK_PACKAGE_VERSION MATCHES "^([0-9]+)\\.([0-9]+)([a-z]?)$")
  message(FATAL_ERROR "MSI: the version '${CPACK_PACKAGE_VERSION}' is not MAJOR.MINOR[letter]")
endif()
set(major ${CMAKE_MATCH_1})
set(minor ${CMAKE_MATCH_2})
set(build 0)
if(CMAKE_MATCH_3)
  string(FIND "abcdefghijklmnopqrstuvwxyz" "${CMAKE_MATCH_3}" build)
  math(EXPR build "${build} + 1")
endif()
if(major GREATER 255 OR minor GREATER 255)
  message(FATAL_ERROR "MSI: ${CPACK_PACKAGE_VERSION}: Windows Installer versions end at 255.255")
endif()
set(msi_version ${major}.${minor}.${build})

set(msi_arch ${CPACK_QUILLET_MSI_ARCH})
if(msi_arch STREQUAL "x64")
  set(program_files ProgramFiles64Folder)
  set(win64 yes)
else()
  set(program_files ProgramFilesFolder)
  set(win64 no)
endif()
set(upgrade_code ${CPACK_QUILLET_MSI_UPGRADE_CODE})
string(UUID product_code NAMESPACE ${upgrade_code} NAME "product ${CPACK_PACKAGE_VERSION}" TYPE SHA1 UPPER)
string(UUID shortcut_guid NAMESPACE ${upgrade_code} NAME "component QuilletShortcut" TYPE SHA1 UPPER)

# The release's one time, as the configure took it (cmake/Reproducible.cmake).
set(epoch "${CPACK_QUILLET_SOURCE_DATE_EPOCH}")
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "MSI: no release time (CPACK_QUILLET_SOURCE_DATE_EPOCH '${epoch}')")
endif()

# The staged files, one folder per component, copied with their times: the cabinet records every
# file's time, and reproducible.cmake has dated them all to the release's time by now. Only the
# install folder itself has files today; a file in a subfolder stops the package rather than
# being left out of it.
set(work "${CPACK_TOPLEVEL_DIRECTORY}/msi")
file(REMOVE_RECURSE "${work}")
set(components)
set(hashes)
foreach(component IN ITEMS quillet sample)
  set(${component}_refs)
  set(staged "${CPACK_TEMPORARY_DIRECTORY}/${component}")
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${staged}" "${staged}/*")
  list(SORT files)
  if(NOT files)
    message(FATAL_ERROR "MSI: nothing staged in ${staged}")
  endif()
  foreach(name IN LISTS files)
    if(name MATCHES "/")
      message(FATAL_ERROR "MSI: ${name}: only files in the install folder itself are packaged")
    endif()
    file(COPY "${staged}/${name}" DESTINATION "${work}/files/${component}")
    file(SHA256 "${work}/files/${component}/${name}" hash)
    string(APPEND hashes "${component}/${name} ${hash}\n")
    string(MAKE_C_IDENTIFIER "${name}" id) # (MSI identifiers: letters, digits, _ and .)
    string(UUID guid NAMESPACE ${upgrade_code} NAME "component ${name}" TYPE SHA1 UPPER)
    string(APPEND components "          <Component Id=\"${id}\" Guid=\"${guid}\" Win64=\"${win64}\">\n")
    string(APPEND components
      "            <File Id=\"${id}\" Name=\"${name}\" Source=\"files/${component}/${name}\" KeyPath=\"yes\" />\n"
      "          </Component>\n")
    string(APPEND ${component}_refs "      <ComponentRef Id=\"${id}\" />\n")
  endforeach()
endforeach()
file(COPY "${CPACK_QUILLET_MSI_ICON}" DESTINATION "${work}")
get_filename_component(icon_file "${CPACK_QUILLET_MSI_ICON}" NAME)
file(SHA256 "${work}/${icon_file}" hash)
string(APPEND hashes "icon ${hash}\n")

file(READ "${CMAKE_CURRENT_LIST_DIR}/quillet.wxs.in" template)
string(CONFIGURE "${template}" wxs @ONLY)
file(WRITE "${work}/quillet.wxs" "${wxs}")
string(SHA256 source_hash "${wxs}${hashes}")
string(UUID package_code NAMESPACE ${upgrade_code} NAME "package ${source_hash}" TYPE SHA1 UPPER)

# Written straight to the packages folder (CPack copies only its own installer there).
file(REAL_PATH . cwd) # (where cpack runs: the prefix is relative to it)
get_filename_component(out_dir "${CPACK_OUTPUT_FILE_PREFIX}" ABSOLUTE BASE_DIR "${cwd}")
file(MAKE_DIRECTORY "${out_dir}")
set(msi "${out_dir}/${CPACK_PACKAGE_FILE_NAME}.msi")
file(REMOVE "${msi}")
# (TZ: the cabinet keeps local times.)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${CPACK_QUILLET_WIXL} -a ${msi_arch} -o "${msi}" "${work}/quillet.wxs"
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  file(REMOVE "${msi}")
  message(FATAL_ERROR "MSI: wixl failed: ${output}")
endif()
execute_process(
  COMMAND ${CPACK_QUILLET_PYTHON} "${CMAKE_CURRENT_LIST_DIR}/pin-summary.py" "${msi}" "${package_code}" "${epoch}"
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  file(REMOVE "${msi}")
  message(FATAL_ERROR "MSI: ${output}")
endif()
set(QUILLET_MSI_FILE "${msi}")
message(STATUS "MSI package: ${msi} generated (ProductVersion ${msi_version}, ProductCode {${product_code}})")
