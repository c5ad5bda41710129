# Where an installed zenthor keeps its parts, relative to the installation prefix:
#   bin/zenthor             the program
#   lib/zenthor/            the shared libraries it links (host SDK stand-in, Windows calls)
#   lib/zenthor/plugins/    its plug-in folder, with the importer
#   share/zenthor/          data files, copied from <build>/share/zenthor/ (the web assets
#                           of browse)
# The program finds the others from its own folder, so a tree installed under any prefix,
# or unpacked anywhere, works. The build tree keeps the plug-ins in <build>/bin/plugins/.
include(GNUInstallDirs)
set(ZENTHOR_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR}/zenthor)
set(ZENTHOR_INSTALL_PLUGINDIR ${ZENTHOR_INSTALL_LIBDIR}/plugins)
set(ZENTHOR_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/zenthor)
set(ZENTHOR_BUILD_DATADIR ${CMAKE_BINARY_DIR}/share/zenthor)

foreach(dir CMAKE_INSTALL_BINDIR CMAKE_INSTALL_LIBDIR CMAKE_INSTALL_DATADIR)
  if(IS_ABSOLUTE "${${dir}}")
    message(FATAL_ERROR "${dir} must be relative to the prefix: zenthor finds its parts from its own folder")
  endif()
endforeach()

# zenthor_install_relative(VAR FROM TO): the installed folder TO as seen from FROM.
function(zenthor_install_relative var from to)
  file(RELATIVE_PATH relative /prefix/${from} /prefix/${to})
  set(${var} ${relative} PARENT_SCOPE)
endfunction()
