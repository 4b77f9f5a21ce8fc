# What a release is made of: release builds drop the code that nothing calls, and `cmake --install`
# lays every deliverable out where the installers take it from.

# Each function and datum in a section of its own, so that the linker can drop the sections that
# nothing refers to: the class library is linked whole into both programs, and each uses only a
# part of it. Debug builds (the sanitizers' among them) keep everything for the debugger.
option(QUILLET_GC_SECTIONS "Release builds: drop the functions and data that nothing uses" ON)
if(QUILLET_GC_SECTIONS AND NOT QUILLET_SANITIZE)
  add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-ffunction-sections;-fdata-sections>")
  add_link_options("$<$<NOT:$<CONFIG:Debug>>:LINKER:--gc-sections>")
endif()

# Install layout. quillet loads its bridge and its message catalog from its own directory and
# finds the Java application's jar in the current directory, so the program, the bridge, the
# catalog and the sample's jar share one directory: the install folder itself on Windows, a
# private directory under lib elsewhere (with a command on PATH that starts there).
if(WIN32)
  set(QUILLET_INSTALL_PROGRAM_DIR .)
else()
  set(QUILLET_INSTALL_PROGRAM_DIR lib/quillet)
endif()
