# zenthor_folder_library(NAME TYPE [DEPS ...])
# One library per source folder: every .cpp of the folder, plus posix/*.cpp or
# win32/*.cpp where the folder has them. Headers are included as "folder/file.h".
function(zenthor_folder_library name type)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(WIN32)
    file(GLOB system_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/win32/*.cpp)
  else()
    file(GLOB system_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/posix/*.cpp)
  endif()
  if(NOT sources AND NOT system_sources)
    # A folder with headers only so far.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} ${type} ${sources} ${system_sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
  if(ARG_PRIVATE_DEPS)
    target_link_libraries(${name} PRIVATE ${ARG_PRIVATE_DEPS})
  endif()
endfunction()

# zenthor_add_gtest(NAME SOURCES... LIBS ...): a GoogleTest executable registered with CTest.
function(zenthor_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  find_package(GTest REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()

# zenthor_forbid_links(TARGET LIBS ... WHY text): fails the configuration when TARGET links
# any of LIBS, directly or through the libraries it links. Checked once every folder has been
# read, so links added later count too.
function(zenthor_forbid_links target)
  cmake_parse_arguments(ARG "" "WHY" "LIBS" ${ARGN})
  cmake_language(EVAL CODE "
    cmake_language(DEFER DIRECTORY [[${PROJECT_SOURCE_DIR}]]
                   CALL _zenthor_check_links [[${target}]] [[${ARG_LIBS}]] [[${ARG_WHY}]])")
endfunction()

function(_zenthor_check_links target forbidden why)
  set(pending ${target})
  set(seen "")
  while(NOT "${pending}" STREQUAL "")
    list(POP_FRONT pending current)
    if(current IN_LIST seen OR NOT TARGET "${current}")
      continue()
    endif()
    list(APPEND seen ${current})
    get_target_property(links ${current} LINK_LIBRARIES)
    get_target_property(interface_links ${current} INTERFACE_LINK_LIBRARIES)
    foreach(link IN LISTS links interface_links)
      # A static library's private links are recorded as $<LINK_ONLY:name>.
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
      if(link IN_LIST forbidden)
        message(FATAL_ERROR "${target} links ${link} (through ${current}): ${why}")
      endif()
      list(APPEND pending ${link})
    endforeach()
  endwhile()
endfunction()
