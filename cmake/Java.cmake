# The JDK: JNI headers for both platforms, javac for the test classes and the sample
# application. On Linux the bridge links against libjvm.so without an RPATH into this JDK.
find_package(Java 17 COMPONENTS Development REQUIRED)
include(UseJava)
if(NOT QUILLET_JDK_HOME)
  get_filename_component(_javac_real ${Java_JAVAC_EXECUTABLE} REALPATH)
  get_filename_component(_bin ${_javac_real} DIRECTORY)
  get_filename_component(QUILLET_JDK_HOME ${_bin} DIRECTORY)
endif()
set(QUILLET_JDK_HOME ${QUILLET_JDK_HOME} CACHE PATH "JDK whose headers and libjvm are used")
set(QUILLET_JNI_INCLUDE_DIRS ${QUILLET_JDK_HOME}/include)
if(WIN32)
  # The JDK here is a Linux one: its jni_md.h is for Linux, so Windows uses the project's own.
  list(PREPEND QUILLET_JNI_INCLUDE_DIRS ${CMAKE_SOURCE_DIR}/bridge/jni/win32)
else()
  list(APPEND QUILLET_JNI_INCLUDE_DIRS ${QUILLET_JDK_HOME}/include/linux)
  find_library(QUILLET_LIBJVM jvm PATHS ${QUILLET_JDK_HOME}/lib/server NO_DEFAULT_PATH REQUIRED)
endif()
message(STATUS "JDK: ${QUILLET_JDK_HOME}")

# A jar that ships: re-made once the jar tool has made it, with every entry dated by the
# release's time (cmake/Reproducible.cmake) instead of the class files' times and the time of the
# build, which the jar tool of Java 17 writes and add_jar gives no way to change.
#   quillet_date_jar(target)   in the directory of the target's add_jar
function(quillet_date_jar target)
  get_target_property(jar ${target} JAR_FILE)
  add_custom_command(OUTPUT ${jar} APPEND
    COMMAND ${CMAKE_COMMAND} -DJAR_TOOL=${Java_JAR_EXECUTABLE} -DJAR=${jar} -DDATE=${QUILLET_SOURCE_DATE}
            -P ${CMAKE_SOURCE_DIR}/cmake/date-jar.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/cmake/date-jar.cmake)
endfunction()
