# Installs zenthor as a user would and runs it from there (cmake -P).
#   MODE=install  cmake --install into a fresh prefix, which is then moved elsewhere: the
#                 program must find its libraries and its plug-in from its own folder.
#   MODE=deb      cpack's Debian package: exactly the program, its libraries and the
#                 plug-in (plus data below share/zenthor/), unpacked and run.
#   MODE=blender_addon  the add-on zip (ADDON_ZIP), unpacked by unzip: the add-on's files
#                 (ADDON_SOURCE) and the installation without share/ in its folder, no
#                 symbolic link, and the program and the plug-in load every library from
#                 inside it but the C library's own (names matching C_LIBRARY_REGEX).
# Also given: BUILD, WORK (a scratch folder), SAMPLE (a model file), BIN_DIR, LIB_DIR and
# PLUGIN_DIR (the layout, relative to the prefix).
cmake_minimum_required(VERSION 3.25)

# run(OUTPUT_VAR command...): runs the command; stops the test when it fails.
function(run output)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "${command} failed (${rc}):\n${out}${err}")
  endif()
  set(${output} "${out}" PARENT_SCOPE)
endfunction()

# expect(TEXT PIECE WHAT): TEXT must hold PIECE.
function(expect text piece what)
  string(FIND "${text}" "${piece}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${what}: no \"${piece}\" in:\n${text}")
  endif()
endfunction()

# The installed program lists the installed plug-in and imports the sample through it.
function(expect_runs prefix)
  run(plugins ${prefix}/${BIN_DIR}/zenthor plugins)
  expect("${plugins}" "${prefix}/${PLUGIN_DIR}/ZenthorMeshImport.so\n  description: " "zenthor plugins")
  run(imported ${prefix}/${BIN_DIR}/zenthor import ${SAMPLE} -o ${WORK}/sample.glb --yes)
  expect("${imported}" "Wrote ${WORK}/sample.glb\n" "zenthor import")
endfunction()

file(REMOVE_RECURSE ${WORK})
if(MODE STREQUAL "install")
  run(ignored ${CMAKE_COMMAND} --install ${BUILD} --prefix ${WORK}/prefix)
  file(RENAME ${WORK}/prefix ${WORK}/moved)
  expect_runs(${WORK}/moved)
elseif(MODE STREQUAL "deb")
  # Without the Depends field: dpkg-shlibdeps asks dpkg about every library, which takes
  # seconds each, and what it finds is Debian's business.
  run(ignored cpack --config ${BUILD}/CPackConfig.cmake -B ${WORK}/package -D CPACK_DEBIAN_PACKAGE_SHLIBDEPS=OFF)
  file(GLOB deb ${WORK}/package/*.deb)
  run(fields dpkg-deb --field ${deb} Package Version)
  expect("${fields}" "Package: zenthor\nVersion: ${VERSION}\n" "dpkg-deb --field")
  run(listing dpkg-deb --contents ${deb})
  string(REGEX MATCHALL "\\./usr/[^\n]*[^/\n]\n" files "${listing}")
  list(FILTER files EXCLUDE REGEX "^\\./usr/share/zenthor/")
  set(expected "./usr/${BIN_DIR}/zenthor\n" "./usr/${LIB_DIR}/libzenthor_host.so\n"
               "./usr/${LIB_DIR}/libzenthor_winapi.so\n" "./usr/${PLUGIN_DIR}/ZenthorMeshImport.so\n")
  list(SORT files)
  list(SORT expected)
  if(NOT files STREQUAL expected)
    message(FATAL_ERROR "the package holds\n${files}\ninstead of\n${expected}")
  endif()
  run(ignored dpkg-deb --extract ${deb} ${WORK}/unpacked)
  expect_runs(${WORK}/unpacked/usr)
elseif(MODE STREQUAL "blender_addon")
  file(MAKE_DIRECTORY ${WORK})
  run(ignored unzip -q ${ADDON_ZIP} -d ${WORK}/unpacked)
  get_filename_component(addon_name ${ADDON_SOURCE} NAME)
  file(REAL_PATH ${WORK}/unpacked/${addon_name} addon)

  # Every file is the add-on's own, the program, our libraries, or a library bundled
  # beside them.
  file(GLOB_RECURSE sources LIST_DIRECTORIES false RELATIVE ${ADDON_SOURCE} ${ADDON_SOURCE}/*)
  list(FILTER sources EXCLUDE REGEX "(^|/)__pycache__/")
  set(expected ${sources} ${BIN_DIR}/zenthor ${LIB_DIR}/libzenthor_host.so
               ${LIB_DIR}/libzenthor_winapi.so ${PLUGIN_DIR}/ZenthorMeshImport.so)
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${WORK}/unpacked ${WORK}/unpacked/*)
  foreach(file IN LISTS files)
    string(REGEX REPLACE "^${addon_name}/" "" relative "${file}")
    if(IS_SYMLINK ${WORK}/unpacked/${file})
      message(FATAL_ERROR "${file} is a symbolic link, which Blender unpacks as a text file")
    elseif(relative IN_LIST expected)
      list(REMOVE_ITEM expected ${relative})
    elseif(NOT file MATCHES "^${addon_name}/${LIB_DIR}/[^/]+\\.so[.0-9a-z]*$")
      message(FATAL_ERROR "the zip holds ${file}, which is not for the add-on")
    endif()
  endforeach()
  if(expected)
    message(FATAL_ERROR "the zip lacks ${expected} below ${addon_name}/")
  endif()

  foreach(file ${BIN_DIR}/zenthor ${PLUGIN_DIR}/ZenthorMeshImport.so)
    run(loaded ldd ${addon}/${file})
    if(loaded MATCHES "not found")
      message(FATAL_ERROR "${file} needs libraries that are not found:\n${loaded}")
    endif()
    string(REGEX MATCHALL "[^\n\t ]+ => [^\n ]+" links "${loaded}")
    foreach(link IN LISTS links)
      string(REGEX REPLACE " => .*" "" name "${link}")
      string(REGEX REPLACE ".* => " "" path "${link}")
      if(name MATCHES "${C_LIBRARY_REGEX}")
        continue()
      endif()
      file(REAL_PATH ${path} path)
      cmake_path(IS_PREFIX addon "${path}" inside)
      if(NOT inside)
        message(FATAL_ERROR "${file} loads ${name} from ${path}, outside the add-on:\n${loaded}")
      endif()
    endforeach()
  endforeach()

  run(version ${addon}/${BIN_DIR}/zenthor --version)
  expect("${version}" "zenthor ${VERSION}\n" "zenthor --version")
  expect_runs(${addon})
endif()
file(REMOVE_RECURSE ${WORK})
