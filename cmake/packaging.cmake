# `cpack -G DEB` in the build directory makes the Debian package; a Windows build makes the
# installer too, where NSIS is installed.
set(NURVELO_MAINTAINER "Nurvelo <nurvelo@users.noreply.github.com>"
    CACHE STRING "Name and address of whoever builds the packages")

set(CPACK_PACKAGE_NAME nurvelo)
set(CPACK_PACKAGE_VERSION ${NURVELO_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR Nurvelo)
set(CPACK_PACKAGE_CONTACT ${NURVELO_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "place value counter for primary school")
set(CPACK_PACKAGE_DESCRIPTION [[
Nurvelo shows a four-place decimal counter as big digit cells. Children step
any place up or down and watch carries and borrows ripple from place to place.
A helper number trades single units of any place with the counter. The program
speaks German.]])
set(CPACK_PACKAGE_HOMEPAGE_URL https://github.com/nurvelo/Nurvelo)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
# dpkg-shlibdeps (dpkg-dev) finds the Qt libraries the program links; the font is what the
# window's layout was drawn for.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation2)
# Reading aloud goes through speech-dispatcher, which Qt reaches with a plugin of its own; without
# them the program says it has no German voice.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-speech-speechd-plugin, speech-dispatcher-espeak-ng")
# Nothing for Wayland: on GNOME the window goes through Xwayland, with the X11 platform plugin that
# libqt6gui6 holds, and on other desktops Qt falls back to it where qt6-wayland is missing.

include(CPack)

find_program(NURVELO_MAKENSIS makensis)
if(WIN32 AND NURVELO_MAKENSIS)
    set(setup ${PROJECT_BINARY_DIR}/Nurvelo-${NURVELO_VERSION_TEXT}-setup.exe)
    set(script ${PROJECT_SOURCE_DIR}/data/nurvelo.nsi)
    add_custom_command(OUTPUT ${setup} DEPENDS Nurvelo ${script}
        COMMAND ${NURVELO_MAKENSIS} -V2 -DVERSION=${NURVELO_VERSION_TEXT}
                -DVERSION4=${PROJECT_VERSION}.0 -DPROGRAM=$<TARGET_FILE:Nurvelo>
                -DICON=${PROJECT_SOURCE_DIR}/src/window/pictures/nurvelo.ico -DOUTFILE=${setup}
                ${script})
    add_custom_target(installer ALL DEPENDS ${setup})
endif()
