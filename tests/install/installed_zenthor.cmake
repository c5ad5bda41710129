# Installs zenthor as a user would and runs it from there (cmake -P).
#   MODE=install  cmake --install into a fresh prefix, which is then moved elsewhere: the
#                 program must find its libraries and its plug-in from its own folder.
#   MODE=deb      cpack's Debian package: exactly the program, its libraries and the
#                 plug-in (plus data below share/zenthor/), unpacked and run.
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
endif()
file(REMOVE_RECURSE ${WORK})
