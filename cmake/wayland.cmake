# Wayland support for vapryx, built where its library and protocol files are installed
# (tools/install-deps.sh native installs them): the client code of each protocol is made
# from the protocol's own XML by wayland-scanner at build time.
find_package(PkgConfig)
set(VAPRYX_WAYLAND OFF)
if(PKG_CONFIG_FOUND)
  pkg_check_modules(WAYLAND_CLIENT IMPORTED_TARGET wayland-client)
  pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
  pkg_get_variable(PLASMA_PROTOCOLS_DIR plasma-wayland-protocols pkgdatadir)
endif()
find_program(WAYLAND_SCANNER wayland-scanner)
# wlr-protocols: packaged on its own by most distributions; on Debian 12 only inside the
# Rust crate's sources.
file(GLOB wlr_crates /usr/share/cargo/registry/wayland-protocols-*/wlr-protocols/unstable)
find_path(WLR_PROTOCOLS_DIR wlr-layer-shell-unstable-v1.xml
          PATHS /usr/share/wlr-protocols/unstable ${wlr_crates} NO_DEFAULT_PATH)
if(NOT PLASMA_PROTOCOLS_DIR)
  set(PLASMA_PROTOCOLS_DIR /usr/share/plasma-wayland-protocols)
endif()

set(wayland_xml
  ${WAYLAND_PROTOCOLS_DIR}/stable/xdg-shell/xdg-shell.xml
  ${WAYLAND_PROTOCOLS_DIR}/stable/viewporter/viewporter.xml
  ${WAYLAND_PROTOCOLS_DIR}/staging/ext-idle-notify/ext-idle-notify-v1.xml
  ${WLR_PROTOCOLS_DIR}/wlr-layer-shell-unstable-v1.xml
  ${WLR_PROTOCOLS_DIR}/wlr-virtual-pointer-unstable-v1.xml
  ${PLASMA_PROTOCOLS_DIR}/idle.xml
  ${PLASMA_PROTOCOLS_DIR}/fake-input.xml)
set(missing "")
if(NOT WAYLAND_CLIENT_FOUND)
  list(APPEND missing "wayland-client (libwayland-dev)")
endif()
if(NOT WAYLAND_SCANNER)
  list(APPEND missing "wayland-scanner (libwayland-dev)")
endif()
foreach(xml IN LISTS wayland_xml)
  if(NOT EXISTS ${xml})
    list(APPEND missing ${xml})
  endif()
endforeach()
if(missing)
  string(REPLACE ";" ", " missing "${missing}")
  message(STATUS "vapryx without Wayland support: missing ${missing} (packages libwayland-dev, "
                 "wayland-protocols, librust-wayland-protocols-dev, plasma-wayland-protocols)")
  return()
endif()
set(VAPRYX_WAYLAND ON)

set(generated ${CMAKE_BINARY_DIR}/wayland)
file(MAKE_DIRECTORY ${generated})
set(protocol_code "")
foreach(xml IN LISTS wayland_xml)
  get_filename_component(name ${xml} NAME_WE)
  add_custom_command(
    OUTPUT ${generated}/${name}-client.h ${generated}/${name}-protocol.c
    COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${generated}/${name}-client.h
    COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${generated}/${name}-protocol.c
    DEPENDS ${xml} VERBATIM)
  list(APPEND protocol_code ${generated}/${name}-protocol.c ${generated}/${name}-client.h)
endforeach()
add_library(vapryx_wayland_protocols STATIC ${protocol_code})
target_include_directories(vapryx_wayland_protocols PUBLIC ${generated})
target_link_libraries(vapryx_wayland_protocols PUBLIC PkgConfig::WAYLAND_CLIENT)

# Window decorations where the compositor draws none (GNOME, Weston): libdecor, where
# installed; its plugin, which draws them, is a run-time matter.
if(PKG_CONFIG_FOUND)
  pkg_check_modules(LIBDECOR IMPORTED_TARGET libdecor-0)
endif()
