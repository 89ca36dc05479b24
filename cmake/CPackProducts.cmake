# Read by cpack for every generator: chooses the product (TARVIK_PACKAGE,
# "library" unless `cpack -D TARVIK_PACKAGE=launcher`) and names its files
# <name>-<version>-<system>, each product with its own version.
if(NOT DEFINED TARVIK_PACKAGE)
    set(TARVIK_PACKAGE library)
endif()

if(TARVIK_PACKAGE STREQUAL "launcher")
    set(CPACK_PACKAGE_NAME zindleQrvt)
    set(CPACK_PACKAGE_VERSION ${CPACK_ZINDLE_VERSION})
    set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Windows game launcher driving the zindleCore.dll game core")
elseif(TARVIK_PACKAGE STREQUAL "library")
    set(CPACK_PACKAGE_NAME tarvik-xml)
    set(CPACK_PACKAGE_VERSION ${CPACK_TARVIK_XML_VERSION})
    set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
        "In-memory markup documents (C++17): brace notation, markup text, binary node streams")
    set(CPACK_DEBIAN_PACKAGE_NAME tarvik-xml-dev)
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
        "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}\n Static library, headers, CMake package, pkg-config file, the tarvik-xml tool and examples.")
else()
    message(FATAL_ERROR "TARVIK_PACKAGE is library or launcher, not '${TARVIK_PACKAGE}'")
endif()

set(CPACK_DEBIAN_PACKAGE_VERSION ${CPACK_PACKAGE_VERSION})

# One component of the one build tree, installed as a whole package.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_ZINDLE_BUILD_DIR};zindleQrvt;${TARVIK_PACKAGE};/")
set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY ${CPACK_PACKAGE_NAME})
