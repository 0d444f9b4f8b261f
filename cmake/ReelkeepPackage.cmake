# `cpack -G DEB` in a build folder makes a Debian package of what `cmake --install` puts in
# place, under /usr. Its dependencies are the packages of the libraries the programs link,
# found by dpkg-shlibdeps (the web engine's brings its helper process, QtWebEngineProcess),
# and xdg-open, which opens movie files and links with the desktop's programs.
set(CPACK_PACKAGE_NAME reelkeep)
set(CPACK_PACKAGE_VENDOR "Tarvenn")
set(CPACK_PACKAGE_CONTACT "Tarvenn <reelkeep@tarvenn.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Catalog of a private movie collection")
set(CPACK_PACKAGE_DESCRIPTION
  "Reelkeep lists the movies of a private collection, shows each through XSL templates, \
reads AVI headers of dropped files and fills in details with user scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}_${PROJECT_VERSION}")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-user-dirs")

include(CPack)
