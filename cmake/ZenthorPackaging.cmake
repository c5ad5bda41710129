# Install rules and packages. Native: zenthor with its shared libraries and the importer,
# laid out as cmake/ZenthorInstallLayout.cmake says, packed as a Debian package, and the
# Blender add-on zip. Windows: the plug-in DLL in plugins/ beside the host SDK stand-in DLL
# it links, packed as a zip.
#   cmake --install build/default --prefix DIR
#   cpack --preset deb, cpack --preset blender-addon, cpack --preset windows-zip (into
#   build/packages/; the workflow presets of the same names configure and build first)
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
  # DT_RPATH, not DT_RUNPATH: the program's run path then also serves the libraries'
  # own dependencies (the add-on bundles them all in lib/zenthor/) and comes before
  # LD_LIBRARY_PATH.
  target_link_options(zenthor PRIVATE -Wl,--disable-new-dtags)

  # Components: zenthor (the program, its libraries, the importer), zenthor_data (share/),
  # and blender_addon, installed only when named.
  install(TARGETS zenthor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT zenthor)
  install(TARGETS zenthor_host zenthor_winapi LIBRARY DESTINATION ${ZENTHOR_INSTALL_LIBDIR} COMPONENT zenthor)
  install(TARGETS ZenthorMeshImport LIBRARY DESTINATION ${ZENTHOR_INSTALL_PLUGINDIR} COMPONENT zenthor)
  install(DIRECTORY ${ZENTHOR_BUILD_DATADIR}/ DESTINATION ${ZENTHOR_INSTALL_DATADIR} OPTIONAL
          COMPONENT zenthor_data)

  # The Blender add-on is an installation of components zenthor and blender_addon whose
  # prefix is the add-on folder: its Python package at the top, and every library the
  # program and the importer load, but the C library's own, copied into lib/zenthor/ under
  # the name they are loaded by (no symbolic links: Blender unpacks with Python's zipfile,
  # which writes a link as a file holding its target).
  set(ZENTHOR_ADDON_NAME io_import_zenthor)
  # The add-on names its version twice, for Blender before and since 4.2: both must be ours.
  file(READ ${PROJECT_SOURCE_DIR}/blender/${ZENTHOR_ADDON_NAME}/blender_manifest.toml addon_manifest)
  file(READ ${PROJECT_SOURCE_DIR}/blender/${ZENTHOR_ADDON_NAME}/__init__.py addon_init)
  string(REPLACE "." ", " version_tuple ${PROJECT_VERSION})
  if(NOT addon_manifest MATCHES "\nversion = \"${PROJECT_VERSION}\"" OR
     NOT addon_init MATCHES "\"version\": \\(${version_tuple}\\)")
    message(FATAL_ERROR "blender/${ZENTHOR_ADDON_NAME}: blender_manifest.toml and bl_info must say version "
                        "${PROJECT_VERSION}")
  endif()
  set(ZENTHOR_ADDON_FILE_NAME ${ZENTHOR_ADDON_NAME}-${PROJECT_VERSION}-linux-x64)
  set(ZENTHOR_BLENDER_ADDON_ZIP ${CMAKE_BINARY_DIR}/packages/${ZENTHOR_ADDON_FILE_NAME}.zip)
  set(ZENTHOR_C_LIBRARY_REGEX "^(ld-linux-x86-64\\.so\\.2|lib(c|m|dl|pthread|rt|resolv)\\.so\\.[0-9]+)$")
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/blender/${ZENTHOR_ADDON_NAME}/ DESTINATION .
          COMPONENT blender_addon EXCLUDE_FROM_ALL
          PATTERN __pycache__ EXCLUDE PATTERN *.pyc EXCLUDE)
  install(CODE "
    include([[${CMAKE_CURRENT_LIST_DIR}/ZenthorBundleLibraries.cmake]])
    zenthor_bundle_libraries(\"\${CMAKE_INSTALL_PREFIX}/${ZENTHOR_INSTALL_LIBDIR}\"
      EXECUTABLES [[$<TARGET_FILE:zenthor>]]
      LIBRARIES [[$<TARGET_FILE:zenthor_host>]] [[$<TARGET_FILE:zenthor_winapi>]]
                [[$<TARGET_FILE:ZenthorMeshImport>]]
      EXCLUDE_REGEX [[${ZENTHOR_C_LIBRARY_REGEX}]])"
    COMPONENT blender_addon EXCLUDE_FROM_ALL)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME zenthor)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "ZenthorMeshImport developers")
  # Depends from the libraries the files link (dpkg-shlibdeps).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Without the debug information of the RelWithDebInfo build.
  set(CPACK_STRIP_FILES ON)
  # The ZIP generator packs the add-on instead (cmake/ZenthorCPackGenerators.cmake).
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/ZenthorCPackGenerators.cmake)
  set(CPACK_ZENTHOR_ADDON_NAME ${ZENTHOR_ADDON_NAME})
  set(CPACK_ZENTHOR_ADDON_FILE_NAME ${ZENTHOR_ADDON_FILE_NAME})
  set(CPACK_ZENTHOR_ADDON_PROJECTS ${CMAKE_BINARY_DIR} ${PROJECT_NAME} zenthor /
                                   ${CMAKE_BINARY_DIR} ${PROJECT_NAME} blender_addon /)
endif()
set(CPACK_PACKAGE_VENDOR "ZenthorMeshImport developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Imports a game's .model and .mesh files through the ZenthorMeshImport plug-in and writes glTF or OBJ")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
include(CPack)

if(NOT WIN32)
  # The add-on zip in the build tree, where the tests find it (ZENTHOR_BLENDER_ADDON_ZIP);
  # built by default where there are tests.
  file(GLOB_RECURSE addon_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/blender/${ZENTHOR_ADDON_NAME}/*)
  list(FILTER addon_files EXCLUDE REGEX "/__pycache__/")
  add_custom_command(OUTPUT ${ZENTHOR_BLENDER_ADDON_ZIP}
    COMMAND ${CMAKE_CPACK_COMMAND} -G ZIP --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
            -B ${CMAKE_BINARY_DIR}/packages
    DEPENDS zenthor zenthor_host zenthor_winapi ZenthorMeshImport ${addon_files}
            ${CMAKE_CURRENT_LIST_DIR}/ZenthorBundleLibraries.cmake
            ${CMAKE_CURRENT_LIST_DIR}/ZenthorCPackGenerators.cmake
    COMMENT "Packing the Blender add-on ${ZENTHOR_ADDON_FILE_NAME}.zip" VERBATIM)
  if(ZENTHOR_BUILD_TESTS)
    set(in_all ALL)
  endif()
  add_custom_target(blender_addon_zip ${in_all} DEPENDS ${ZENTHOR_BLENDER_ADDON_ZIP})
endif()
