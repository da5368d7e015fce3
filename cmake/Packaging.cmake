# The Debian package: `cpack` in the build directory writes recta_<version>_<arch>.deb.
include(GNUInstallDirs)

set(RECTA_MAINTAINER "Equip de Recta <recta@recta.cat>")
set(recta_docdir ${CMAKE_INSTALL_DATADIR}/doc/recta)

install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright DESTINATION ${recta_docdir})

# Debian wants its changelog compressed with no name or time stamp in the gzip header, so that
# the package builds the same every time. It belongs to the package only, not to a plain install.
set(recta_changelog ${PROJECT_SOURCE_DIR}/data/debian/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${recta_changelog})
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/debian)
execute_process(COMMAND gzip -9n
    INPUT_FILE ${recta_changelog}
    OUTPUT_FILE ${CMAKE_BINARY_DIR}/debian/changelog.gz
    COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${CMAKE_BINARY_DIR}/debian/changelog.gz
    DESTINATION ${recta_docdir}
    COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME recta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Recta developers")
set(CPACK_PACKAGE_CONTACT ${RECTA_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "teaching tool for the straight line in the Cartesian plane")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Recta shows the straight line in the Cartesian plane to pupils, in Catalan.
They type two points, or an equation such as y=2x+3, and see the line drawn
across a grid from -20 to 20 with its equation; test whether a third point
lies on it, with a worked equation; and compare it with the previous line:
coincident, parallel, or their crossing point.

Recta mostra la recta al pla cartesià. L'alumne escriu dos punts, o una
equació com ara y=2x+3, i veu la recta dibuixada damunt d'una quadrícula de
-20 a 20 amb la seva equació; comprova si un tercer punt és a la recta, amb
l'equació resolta; i la compara amb la recta anterior: coincidents,
paral·leles, o el punt on es tallen.")

# The whole install plus the package-only files.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/"
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${RECTA_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# dpkg-shlibdeps finds the Qt, C++ and C runtime libraries the program links, under the names
# the building release gives their packages; the platform plugins that Qt loads at run time it
# cannot see, so they are named here (a name that both releases keep), and so is Qt's Catalan
# translation, which has the message box's button and the fields' edit menu in Catalan.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
# The window's texts and numbers are laid out for the Liberation fonts; the menu bar is drawn in
# the desktop's sans-serif, DejaVu Sans on Debian. On a Wayland desktop (Debian 13's GNOME and
# Plasma) Qt's Wayland plugin makes the window a client of the compositor itself, sharp at the
# desktop's scale; without it the window goes through Xwayland, which GNOME and Plasma also
# start, so it is recommended and not required. The plane's sound goes through the sound
# server's client library, opened when first asked for; without it the landmarks are spoken.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, fonts-dejavu-core, qt6-wayland, libpulse0")

include(CPack)
