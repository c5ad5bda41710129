# Loaded after CMake's Windows-GNU platform defaults (see mingw-w64-x86_64.cmake).
set(CMAKE_SHARED_LIBRARY_PREFIX "")
set(CMAKE_SHARED_MODULE_PREFIX "")
set(CMAKE_IMPORT_LIBRARY_PREFIX "")
