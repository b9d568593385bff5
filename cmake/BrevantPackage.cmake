# The Debian package of the installation: "cpack -G DEB" in the build folder
# makes brevant_<version>_<architecture>.deb of what cmake --install lays
# out, under /usr, with its dependencies on Debian's libraries found by
# dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brevant)
set(CPACK_PACKAGE_VENDOR Tarvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Brevant ARX Utilities: drawing tracking for a desktop document manager")
set(CPACK_PACKAGE_DESCRIPTION "The module Brevant15.arx follows every drawing a person opens, saves
and closes in the drawing editor, and keeps lock, history and drawing
information files beside it for a desktop document manager. The package
holds the module with its companion module and standard settings, the
editor brevant-editor on which it runs, and the programs beside it.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tarvex Brevant team <brevant@tarvex.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
