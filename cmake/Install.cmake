# What `cmake --install` puts into a prefix, and how other programs find it
# there: the shared library with its public header, the bmpfilters tool and
# its manual page, a pkg-config file and a CMake package. Optionally the core
# as a static library with its C++ headers, for programs that want the image
# object itself; the shared library still exports BMPFilters alone.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

option(TAMROVI_INSTALL_CORE "Also install the core as a static library with its C++ headers" ON)

set(TAMROVI_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/TamroviBMPFilters)
# The core's headers include each other by folder ("image/BmpImage.h"), so
# they keep their folders under a directory of their own.
set(TAMROVI_CORE_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/tamrovibmpfilters)

install(TARGETS tamrovibmpfilters EXPORT TamroviBMPFiltersTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES include/tamrovibmpfilters.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS bmpfilters RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES man/bmpfilters.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(TAMROVI_INSTALL_CORE)
  # The core's headers use C++20 (std::span), so its users are built as C++20.
  target_compile_features(tamrovibmpfilters_core PUBLIC cxx_std_20)
  install(TARGETS tamrovibmpfilters_core EXPORT TamroviBMPFiltersTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    INCLUDES DESTINATION ${TAMROVI_CORE_INCLUDE_DIR})
  # By folder rather than by name, so that a header added to any of them is
  # installed without a change here.
  foreach(folder platform image filters analysis entry module)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${folder})
      install(DIRECTORY ${folder}/ DESTINATION ${TAMROVI_CORE_INCLUDE_DIR}/${folder}
        FILES_MATCHING PATTERN "*.h")
    endif()
  endforeach()
endif()

# CMake package: find_package(TamroviBMPFilters) gives the imported target
# TamroviBMPFilters::tamrovibmpfilters (and TamroviBMPFilters::tamrovibmpfilters_core
# when the core was installed).
install(EXPORT TamroviBMPFiltersTargets NAMESPACE TamroviBMPFilters:: DESTINATION ${TAMROVI_CMAKE_PACKAGE_DIR})
configure_package_config_file(cmake/TamroviBMPFiltersConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/TamroviBMPFiltersConfig.cmake
  INSTALL_DESTINATION ${TAMROVI_CMAKE_PACKAGE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/TamroviBMPFiltersConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/TamroviBMPFiltersConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/TamroviBMPFiltersConfigVersion.cmake
  DESTINATION ${TAMROVI_CMAKE_PACKAGE_DIR})

# pkg-config files name the prefix they are installed under. That prefix is
# known for certain only when installing (`cmake --install --prefix` may
# differ from the configured one), so the files are written then.
function(tamrovi_install_pkg_config name)
  set(template ${CMAKE_CURRENT_SOURCE_DIR}/cmake/${name}.pc.in)
  set(written ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/${name}.pc)
  foreach(kind LIBDIR INCLUDEDIR)
    if(IS_ABSOLUTE "${CMAKE_INSTALL_${kind}}")
      set(pc_${kind} "${CMAKE_INSTALL_${kind}}")
    else()
      set(pc_${kind} "\${prefix}/${CMAKE_INSTALL_${kind}}")
    endif()
  endforeach()
  # Bracket arguments keep "${prefix}" for pkg-config instead of expanding it.
  install(CODE "
    set(TAMROVI_PC_LIBDIR [[${pc_LIBDIR}]])
    set(TAMROVI_PC_INCLUDEDIR [[${pc_INCLUDEDIR}]])
    set(PROJECT_VERSION [[${PROJECT_VERSION}]])
    set(PROJECT_DESCRIPTION [[${PROJECT_DESCRIPTION}]])
    configure_file([[${template}]] [[${written}]] @ONLY)")
  install(FILES ${written} DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endfunction()

tamrovi_install_pkg_config(tamrovibmpfilters)
if(TAMROVI_INSTALL_CORE)
  tamrovi_install_pkg_config(tamrovibmpfilters-core)
endif()

# libtamrovi: the shared library and <tamrovi.h>, found by pkg-config as
# `tamrovi` and by CMake as find_package(Tamrovi), target Tamrovi::tamrovi.
set(TAMROVI_LIB_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tamrovi)
install(TARGETS tamrovi EXPORT TamroviTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES include/tamrovi.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT TamroviTargets NAMESPACE Tamrovi:: DESTINATION ${TAMROVI_LIB_CMAKE_DIR})
configure_package_config_file(cmake/TamroviConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/TamroviConfig.cmake
  INSTALL_DESTINATION ${TAMROVI_LIB_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/TamroviConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/TamroviConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/TamroviConfigVersion.cmake
  DESTINATION ${TAMROVI_LIB_CMAKE_DIR})
tamrovi_install_pkg_config(tamrovi)

# The Python module, where the system's python3 looks under the prefix:
# Debian's python3 reads lib/python3.X/dist-packages under /usr/local, other
# systems' site-packages. Under another prefix, PYTHONPATH names the folder.
# The module is told where the library was installed, so that it needs no
# library search path.
if(NOT WIN32 AND NOT CMAKE_CROSSCOMPILING)
  find_program(TAMROVI_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
  find_program(TAMROVI_PYTHON NAMES python3)
  if(TAMROVI_PYTHON)
    execute_process(COMMAND ${TAMROVI_PYTHON} -c
      "import sys, sysconfig; print('lib/python%d.%d/%s' % (sys.version_info[0], sys.version_info[1], 'dist-packages' if 'dist-packages' in sysconfig.get_path('purelib') else 'site-packages'))"
      OUTPUT_VARIABLE TAMROVI_PYTHON_SITE OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(TAMROVI_PYTHON_DIR ${TAMROVI_PYTHON_SITE} CACHE STRING "Where the Python module goes, under the prefix")
    install(DIRECTORY python/tamrovibmpfilters DESTINATION ${TAMROVI_PYTHON_DIR}
      PATTERN __pycache__ EXCLUDE)
    install(CODE "
      set(python_dir [[${TAMROVI_PYTHON_DIR}]])
      set(lib_dir [[${CMAKE_INSTALL_LIBDIR}]])
      file(WRITE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${python_dir}/tamrovibmpfilters/_installed.py\"
        \"# Written by the install: where libtamrovi is.\\nLIBRARY = '\${CMAKE_INSTALL_PREFIX}/\${lib_dir}/libtamrovi.so.1'\\n\")")
  endif()
endif()
