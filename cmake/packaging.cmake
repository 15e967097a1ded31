# Install layout and the Debian package (native builds). Debian's XScreenSaver runs hacks
# from /usr/libexec/xscreensaver and reads settings files from one folder only, so the
# default prefix is /usr (CMakePresets.json sets it).
include(GNUInstallDirs)

set(VAPRYX_HACK_DIR ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
install(TARGETS vapryx RUNTIME DESTINATION ${VAPRYX_HACK_DIR})
# On PATH as well, so that `vapryx --register` and `vapryx --help` work from a shell.
install(CODE "
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK ../${VAPRYX_HACK_DIR}/vapryx
       \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/vapryx\" SYMBOLIC)")
install(FILES res/vapryx.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)

# The man page, compressed as Debian's policy wants (-n: no name or time stamp inside).
find_program(GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/vapryx.6.gz
                   COMMAND ${GZIP} -9nc ${CMAKE_SOURCE_DIR}/res/vapryx.6 > ${CMAKE_BINARY_DIR}/vapryx.6.gz
                   DEPENDS res/vapryx.6 VERBATIM)
add_custom_target(vapryx_man ALL DEPENDS ${CMAKE_BINARY_DIR}/vapryx.6.gz)
install(FILES ${CMAKE_BINARY_DIR}/vapryx.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES README.md res/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The menu entry, and its icon in the hicolor theme made from res/vapryx.ico's pictures
# (48, 32 and 16 pixels, in that order); the larger sizes are its 48 scaled up. Stripped of
# ImageMagick's dates, the same bytes on every build.
install(FILES res/vapryx.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
find_program(CONVERT convert)
if(CONVERT)
  set(sizes 16 32 48 64 128 256)
  set(frames 2 1 0 0 0 0)
  set(resizes 0 0 0 1 1 1)
  set(icons)
  foreach(size frame resize IN ZIP_LISTS sizes frames resizes)
    set(folder ${CMAKE_BINARY_DIR}/icons/${size}x${size})
    set(scale)
    if(resize)
      set(scale -filter Lanczos -resize ${size}x${size})
    endif()
    add_custom_command(OUTPUT ${folder}/vapryx.png
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
                       COMMAND ${CONVERT} ${CMAKE_SOURCE_DIR}/res/vapryx.ico[${frame}] ${scale} -strip
                               -define png:exclude-chunks=date,time PNG32:${folder}/vapryx.png
                       DEPENDS res/vapryx.ico VERBATIM)
    list(APPEND icons ${folder}/vapryx.png)
    install(FILES ${folder}/vapryx.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(vapryx_icons ALL DEPENDS ${icons})
else()
  message(WARNING "no ImageMagick (convert): the package goes without the menu's icons")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vapryx)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vapryx developers <vapryx@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "coloured smoke pouring out of a text, for XScreenSaver")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A slowly moving cloud of coloured smoke pours out of the flickering outline of a short
text, in a font of your choice. The smoke rises above the middle of the screen and sinks
below it, parting left and right along a wavy line. Run 'vapryx --register' once to make
it the screen saver: in a Wayland session an autostart entry, in an X session a line in
XScreenSaver's programs list.")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries from dpkg-shlibdeps; the stand-in font and the X11 colour names (rgb.txt, for
# --color on Wayland) are data, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, x11-common")
# Faces for the scripts and emoji DejaVu lacks.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver, fonts-noto-core, fonts-noto-color-emoji")
# libdecor draws a Wayland window's decorations through its plugin.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libdecor-0-plugin-1-cairo")
set(CPACK_STRIP_FILES ON)
include(CPack)
