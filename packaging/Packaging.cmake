# Installing and the Debian package. The executables install themselves from app/
# (tessaray, and tessaray-cli where it is built); this adds the menu entry and the icon,
# and lets `cpack -G DEB` build a package that installs and starts on Debian 12.
include(GNUInstallDirs)

install(FILES ${CMAKE_CURRENT_LIST_DIR}/tessaray.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tessaray.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_PACKAGE_NAME "tessaray")
set(CPACK_PACKAGE_VENDOR "Marlowind")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Fibonacci and Gann Square of Nine calculator for traders")
set(CPACK_PACKAGE_DESCRIPTION
    "Marlowind - Tessaray projects where a price may turn and when: a Fibonacci projection \
from two prices and two dates, and a Gann Square of Nine projection from one price and one date, \
listed, charted, saved as small project files, exported as text reports and printed.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "tessaray")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Marlowind Tessaray team <tessaray@marlowind.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION "misc")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Qt's platform plugins ship inside libqt6gui6 on Debian 12; the fonts stand in for
# Verdana, Arial, MS Sans Serif and Lucida Console.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6widgets6, libqt6printsupport6, libqt6charts6, fonts-dejavu-core, fonts-liberation2")
# Version floors for libc, libstdc++ and Qt from the binaries themselves, where the
# tool for it (dpkg-dev) is installed.
find_program(TESSARAY_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TESSARAY_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

set(CPACK_GENERATOR "DEB")
include(CPack)
