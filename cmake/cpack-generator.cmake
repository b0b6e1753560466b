# Read by CPack once for each package it makes (CPACK_PROJECT_CONFIG_FILE).
# The .deb takes the installed tree and the Debian package's own files (the
# debian component) as one package; the tarball takes the installed tree alone.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_COMPONENTS_ALL Unspecified debian)
endif()
