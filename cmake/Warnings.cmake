# Compiler warnings, sanitizers and the Windows runtime linkage, applied to every target here.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wno-unused-parameter)
if(QUILLET_WERROR)
  add_compile_options(-Werror)
endif()

if(QUILLET_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(QUILLET_TSAN)
  if(QUILLET_SANITIZE OR WIN32)
    message(FATAL_ERROR "QUILLET_TSAN: Linux only, and not with QUILLET_SANITIZE")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

if(WIN32)
  # quillet.exe and lanyard.dll must run with system DLLs alone: no libstdc++, libgcc or
  # winpthread DLL next to them.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()
