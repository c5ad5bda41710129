# cpack reads this once per generator (CPACK_PROJECT_CONFIG_FILE). DEB packs the plain
# installation. ZIP packs the Blender add-on: components zenthor and blender_addon (not
# share/) installed with the add-on folder as prefix, that folder at the top of the zip.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_ZENTHOR_ADDON_FILE_NAME})
  set(CPACK_INSTALL_CMAKE_PROJECTS ${CPACK_ZENTHOR_ADDON_PROJECTS})
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  set(CPACK_PACKAGING_INSTALL_PREFIX /${CPACK_ZENTHOR_ADDON_NAME})
endif()
