# Packages, made with CPack from the install rules (tools/release.sh runs it).
# Two products come out of one build tree, each from its own install component:
#   library   tarvik-xml-<library version>-<system>: headers, static library,
#             CMake package, pkg-config file, the tarvik-xml tool and the
#             examples' sources (TGZ and DEB on Linux, ZIP for Windows);
#   launcher  zindleQrvt-<project version>-win32: the launcher, its README for
#             publishers and the demo core in demo/ (ZIP, Windows builds only).
# cpack makes the library's packages; `cpack -D TARVIK_PACKAGE=launcher` the
# launcher's. cmake/CPackProducts.cmake chooses at packaging time.

# The system part of the file names: the Windows builds say which Windows.
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
elseif(WIN32)
    set(CPACK_SYSTEM_NAME win32)
endif()

# Read by cpack through CPackConfig.cmake (only CPACK_ variables reach it).
# The library's version is xml/CMakeLists.txt's, the launcher's the project's.
get_directory_property(CPACK_TARVIK_XML_VERSION DIRECTORY ${PROJECT_SOURCE_DIR}/xml
                       DEFINITION TARVIK_XML_VERSION)
set(CPACK_ZINDLE_VERSION ${PROJECT_VERSION})
set(CPACK_ZINDLE_BUILD_DIR ${CMAKE_BINARY_DIR})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/CPackProducts.cmake)

set(CPACK_PACKAGE_VENDOR "zindleQrvt developers")
set(CPACK_PACKAGE_CONTACT "zindleQrvt developers <zindle@example.com>")
set(CPACK_GENERATOR TGZ)
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_STRIP_FILES ON)

# The Debian package: a development package, installed under /usr.
set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # the tool's libc and libstdc++ (dpkg-shlibdeps)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

include(CPack)
