# What `cmake --install` puts under the prefix: the updater and its tools in bin/, the two
# skin archives in share/brantel/ (skin/ for 16-bit screens, skin-32/ for 32-bit ones), the
# README in share/doc/brantel/. Every library of ours is linked statically; the system ones
# (SDL2, FreeType, libsodium, ...) are the package's dependencies. CPack's DEB generator makes
# the Debian package from these rules (scripts/package).
include(GNUInstallDirs)

install(TARGETS brantel brantel-update msktool packtool skincheck skintext png2skin skinview
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# A cross build takes the skin archives from a host build (they hold no code, and building
# them runs the tools), given as WCE_PREBUILT_SKIN: the folder holding skin/ and skin-32/.
set(WCE_PREBUILT_SKIN "" CACHE PATH "Build folder whose skin/ and skin-32/ archives are installed")
if(WCE_PREBUILT_SKIN)
  set(wce_skin_packs ${WCE_PREBUILT_SKIN}/skin/brantel.pack ${WCE_PREBUILT_SKIN}/skin-32/brantel.pack)
elseif(TARGET skin)
  set(wce_skin_packs ${WCE_SKIN_PACK} ${WCE_SKIN_PACK32})
else()
  set(wce_skin_packs "")
  message(STATUS "No skin in this build (WCE_SKIN off, no WCE_PREBUILT_SKIN): the install holds no skin")
endif()
if(wce_skin_packs)
  list(GET wce_skin_packs 0 wce_pack16)
  list(GET wce_skin_packs 1 wce_pack32)
  install(FILES ${wce_pack16} DESTINATION ${CMAKE_INSTALL_DATADIR}/brantel/skin)
  install(FILES ${wce_pack32} DESTINATION ${CMAKE_INSTALL_DATADIR}/brantel/skin-32)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/brantel)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brantel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Brantel team <brantel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Touch-screen updater for head units, with its package and skin tools")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Text is drawn with the DejaVu faces from /usr/share/fonts/truetype/dejavu/.
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-dejavu-core)
# The libraries the programs link, found by dpkg-shlibdeps from the installed packages of the
# target's architecture.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A cross build names its target; a native one takes dpkg's.
if(CMAKE_CROSSCOMPILING)
  if(CMAKE_LIBRARY_ARCHITECTURE STREQUAL "arm-linux-gnueabihf")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE armhf)
  elseif(CMAKE_LIBRARY_ARCHITECTURE STREQUAL "aarch64-linux-gnu")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
  endif()
endif()
include(CPack)
