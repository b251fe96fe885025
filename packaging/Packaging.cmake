# SPDX-License-Identifier: GPL-3.0-or-later
# Installing and the Debian package. The executables install themselves from app/
# (tessaray, and tessaray-cli where it is built); this adds the menu entry, the project
# files' types (so a file manager opens a .fib or .gann in the program), the icons, the
# manual pages, tessaray-cli's bash completion, the AppStream metainfo and the
# package's copyright and changelog, and lets `cpack -G DEB` build a package that
# installs, starts and is removed cleanly on Debian 12 with nothing for lintian to
# object to. The desktop, MIME and icon caches are refreshed by dpkg's triggers.
include(GNUInstallDirs)
set(TESSARAY_PACKAGING ${CMAKE_CURRENT_LIST_DIR})

install(FILES ${TESSARAY_PACKAGING}/tessaray.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TESSARAY_PACKAGING}/tessaray-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME tessaray.xml)
install(FILES ${TESSARAY_PACKAGING}/tessaray.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TESSARAY_PACKAGING}/tessaray-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tessaray-cli)
install(FILES ${TESSARAY_PACKAGING}/tessaray.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
  install(FILES ${TESSARAY_PACKAGING}/icons/tessaray-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tessaray.png)
endforeach()
install(FILES ${TESSARAY_PACKAGING}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tessaray)

# Manual pages and the changelog are installed compressed, as Debian keeps them;
# -n leaves the time out, so the same sources give the same bytes.
find_program(TESSARAY_GZIP gzip REQUIRED)
function(tessaray_install_gzipped source destination)
  get_filename_component(name ${source} NAME)
  execute_process(COMMAND ${TESSARAY_GZIP} -9nc ${source}
                  OUTPUT_FILE ${CMAKE_BINARY_DIR}/packaging/${name}.gz COMMAND_ERROR_IS_FATAL ANY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${name}.gz DESTINATION ${destination})
endfunction()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
tessaray_install_gzipped(${TESSARAY_PACKAGING}/tessaray.1 ${CMAKE_INSTALL_MANDIR}/man1)
tessaray_install_gzipped(${TESSARAY_PACKAGING}/tessaray-cli.1 ${CMAKE_INSTALL_MANDIR}/man1)
tessaray_install_gzipped(${TESSARAY_PACKAGING}/changelog ${CMAKE_INSTALL_DATADIR}/doc/tessaray)

set(CPACK_PACKAGE_NAME "tessaray")
set(CPACK_PACKAGE_VENDOR "Marlowind")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Fibonacci and Gann Square of Nine calculator for traders")
set(CPACK_PACKAGE_DESCRIPTION
    "Marlowind - Tessaray projects where a price may turn and when: a Fibonacci\n\
projection from two prices and two dates, and a Gann Square of Nine projection\n\
from one price and one date, listed, charted, saved as small project files,\n\
exported as text reports and printed. tessaray-cli makes the same calculations\n\
for scripts and watch-lists.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "tessaray")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Marlowind Tessaray team <tessaray@marlowind.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION "misc")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The fonts stand in for Verdana, Arial, MS Sans Serif and Lucida Console. The
# libraries, with their version floors, come from the binaries themselves where the
# tool for it (dpkg-dev) is installed; without it they are named here, once either
# way. Qt's platform plugins ship inside libqt6gui6 on Debian 12.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-liberation2")
find_program(TESSARAY_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TESSARAY_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  string(PREPEND CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6widgets6, libqt6printsupport6, libcups2, ")
endif()

set(CPACK_GENERATOR "DEB")
include(CPack)
