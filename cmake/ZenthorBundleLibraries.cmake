# zenthor_bundle_libraries(DESTINATION EXECUTABLES files... LIBRARIES files...
#                          EXCLUDE_REGEX regex)
# Install-time code: copies into DESTINATION every shared library the files load, directly
# or through other libraries, except the files themselves and the libraries whose names
# match EXCLUDE_REGEX. Each is copied as a regular file under the name it is loaded by, so
# DESTINATION holds no symbolic links.
function(zenthor_bundle_libraries destination)
  cmake_parse_arguments(ARG "" "EXCLUDE_REGEX" "EXECUTABLES;LIBRARIES" ${ARGN})
  file(GET_RUNTIME_DEPENDENCIES
    EXECUTABLES ${ARG_EXECUTABLES}
    LIBRARIES ${ARG_LIBRARIES}
    PRE_EXCLUDE_REGEXES "${ARG_EXCLUDE_REGEX}"
    POST_EXCLUDE_FILES ${ARG_EXECUTABLES} ${ARG_LIBRARIES}
    RESOLVED_DEPENDENCIES_VAR resolved
    UNRESOLVED_DEPENDENCIES_VAR unresolved
    CONFLICTING_DEPENDENCIES_PREFIX conflicting)
  if(unresolved)
    message(FATAL_ERROR "Libraries to bundle that were not found: ${unresolved}")
  endif()
  foreach(name IN LISTS conflicting_FILENAMES)
    message(FATAL_ERROR "${name} is found in more than one place: ${conflicting_${name}}")
  endforeach()
  foreach(library IN LISTS resolved)
    get_filename_component(name ${library} NAME)
    file(REAL_PATH ${library} file)
    file(INSTALL DESTINATION ${destination} TYPE FILE RENAME ${name} FILES ${file})
  endforeach()
endfunction()
