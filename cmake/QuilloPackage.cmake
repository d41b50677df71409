# `make package`: a Debian package of the installed tree. The libraries it needs are read from
# its programs by dpkg-shlibdeps; what the programs use without linking it is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Tarnwick)
set(CPACK_PACKAGE_CONTACT "Quillo maintainers <maintainers@tarnwick.dev>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keyboard launcher with a clipboard history")
set(CPACK_PACKAGE_DESCRIPTION
    "A global shortcut opens a floating panel with one search field that finds applications, \
actions taking typed values, menu commands of the application in front, web searches and files. \
A second shortcut opens the clipboard history: text, links, images and files copied, searchable, \
pinned and pasted back. Includes quillo-cli for scripting and quillo-ravo, the local ranking service.")
# Debug information stays in the build tree; the package carries stripped programs.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded, not linked: the Wayland platform plugin, the SVG icon engine, the accessibility bus
# that menus are read over, and the file-type database copies are tagged from.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland, libqt6svg6, at-spi2-core, shared-mime-info")
# Each of these makes one feature work; Quillo runs and says what is missing without them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-desktop-portal, tesseract-ocr-eng, wordnet-base")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnome-shell-extension-appindicator")
# Only the product: development headers of the file-index library stay out of the package.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};Unspecified;/")
include(CPack)
