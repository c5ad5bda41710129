# Install rules and packages. Native: zenthor with its shared libraries and the importer,
# laid out as cmake/ZenthorInstallLayout.cmake says, packed as a Debian package. Windows:
# the plug-in DLL in plugins/ beside the host SDK stand-in DLL it links, packed as a zip.
#   cmake --install build/default --prefix DIR
#   cpack --preset deb, cpack --preset windows-zip (into build/packages/; the workflow
#   presets of the same names configure and build first)
if(WIN32)
  # Without the import libraries: nothing is built against the package. The DLLs are the
  # very files scripts/windows-tests tests (not stripped).
  install(TARGETS ZenthorMeshImport RUNTIME DESTINATION plugins ARCHIVE EXCLUDE_FROM_ALL)
  install(TARGETS zenthor_host RUNTIME DESTINATION . ARCHIVE EXCLUDE_FROM_ALL)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ZenthorMeshImport-${PROJECT_VERSION}-win64)
else()
  # Run paths relative to each file, so the libraries are found under any prefix.
  zenthor_install_relative(libs_from_program ${CMAKE_INSTALL_BINDIR} ${ZENTHOR_INSTALL_LIBDIR})
  zenthor_install_relative(libs_from_plugins ${ZENTHOR_INSTALL_PLUGINDIR} ${ZENTHOR_INSTALL_LIBDIR})
  set_target_properties(zenthor PROPERTIES INSTALL_RPATH "$ORIGIN/${libs_from_program}")
  set_target_properties(ZenthorMeshImport PROPERTIES INSTALL_RPATH "$ORIGIN/${libs_from_plugins}")
  set_target_properties(zenthor_host PROPERTIES INSTALL_RPATH "$ORIGIN")

  install(TARGETS zenthor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(TARGETS zenthor_host zenthor_winapi LIBRARY DESTINATION ${ZENTHOR_INSTALL_LIBDIR})
  install(TARGETS ZenthorMeshImport LIBRARY DESTINATION ${ZENTHOR_INSTALL_PLUGINDIR})
  install(DIRECTORY ${ZENTHOR_BUILD_DATADIR}/ DESTINATION ${ZENTHOR_INSTALL_DATADIR} OPTIONAL)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME zenthor)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "ZenthorMeshImport developers")
  # Depends from the libraries the files link (dpkg-shlibdeps).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Without the debug information of the RelWithDebInfo build.
  set(CPACK_STRIP_FILES ON)
endif()
set(CPACK_PACKAGE_VENDOR "ZenthorMeshImport developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Imports a game's .model and .mesh files through the ZenthorMeshImport plug-in and writes glTF or OBJ")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
include(CPack)
