# The Debian package of the program: `cpack -G DEB` in a build configured with CMAKE_INSTALL_PREFIX=/usr
# (scripts/package.sh does both). It holds the install component "nimbrel" only; the sign-in service is
# deployed on its own.
set(CPACK_PACKAGE_NAME nimbrel)
set(CPACK_PACKAGE_VENDOR "Quillmoor")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keeps your Slack status in step with the music you play")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://github.com/quillmoor/nimbrel")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_COMPONENTS_ALL nimbrel)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)

set(CPACK_DEBIAN_PACKAGE_NAME nimbrel)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillmoor <nimbrel@quillmoor.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The package's long description (the summary above is its first line).
set(CPACK_PACKAGE_DESCRIPTION "Nimbrel watches what Spotify or an Apple Music client plays (over MPRIS), finds
the artist's genre, picks the matching vibe from your list and sets your Slack
status in every connected workspace. When the music stops it leaves, clears or
restores the status that was there before, and it never overwrites a status
somebody else set. Tokens are kept in your keyring (the Secret Service).")
set(CPACK_STRIP_FILES ON)
# Shared libraries are found by dpkg-shlibdeps; libNimbrelCore comes with the package itself.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/core)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# Beyond libraries: a session bus (players, keyring, the running instance), xdg-open for links, and
# Qt's X11 platform plugin for the desktop program's windows.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "default-dbus-session-bus | dbus-session-bus, xdg-utils, qt6-qpa-plugins")
# A Secret Service to keep the Slack tokens in.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gnome-keyring")

include(CPack)
