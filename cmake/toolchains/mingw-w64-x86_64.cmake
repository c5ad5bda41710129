# Cross-build for Windows x86-64 with MinGW-w64 (Debian g++-mingw-w64-x86-64-posix: its
# C++ library has std::mutex and std::thread, which GoogleTest needs). Used by the `mingw`
# preset; the binaries run under Wine (scripts/windows-tests).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZENTHOR_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZENTHOR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZENTHOR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZENTHOR_MINGW_PREFIX}-windres)
set(CMAKE_AR ${ZENTHOR_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${ZENTHOR_MINGW_PREFIX}-ranlib CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${ZENTHOR_MINGW_PREFIX}-objdump CACHE FILEPATH "")

# Libraries and headers come from the MinGW-w64 sysroot only; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ZENTHOR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's runtime goes into every module, so that a DLL imports nothing but the
# system's own DLLs and its siblings (no libstdc++, libgcc or libwinpthread DLL): -static
# takes the static form of every library that has one, the threads library included.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Windows names DLLs without the "lib" that the platform defaults give MinGW builds:
# ZenthorMeshImport.dll, zenthor_host.dll. The override runs after those defaults.
set(CMAKE_USER_MAKE_RULES_OVERRIDE ${CMAKE_CURRENT_LIST_DIR}/mingw-w64-names.cmake)
