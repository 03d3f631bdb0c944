# Installing gridlib and rastrify so that other projects can use them: the
# library, its header, the executable and its manual page, a CMake package
# (find_package(gridlib CONFIG) on an installed tree and on the build tree)
# and a pkg-config file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(GRIDLIB_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/gridlib)

# The installed executable finds the installed library beside it, wherever
# the tree is moved.
set_target_properties(rastrify PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")

install(TARGETS gridlib EXPORT gridlibTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES include/gridlib.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS rastrify RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES man/rastrify.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(EXPORT gridlibTargets NAMESPACE gridlib:: DESTINATION ${GRIDLIB_CMAKE_DIR})
configure_package_config_file(cmake/gridlibConfig.cmake.in ${PROJECT_BINARY_DIR}/gridlibConfig.cmake
  INSTALL_DESTINATION ${GRIDLIB_CMAKE_DIR})
# The interface is C and keeps its routines; a new minor version only adds.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/gridlibConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/gridlibConfig.cmake ${PROJECT_BINARY_DIR}/gridlibConfigVersion.cmake
  DESTINATION ${GRIDLIB_CMAKE_DIR})

# The build tree is a package too: find_package(gridlib) with gridlib_DIR
# pointing at it uses the library where it was built.
export(EXPORT gridlibTargets NAMESPACE gridlib:: FILE ${PROJECT_BINARY_DIR}/gridlibTargets.cmake)

file(RELATIVE_PATH GRIDLIB_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" GRIDLIB_PC_TO_PREFIX "${GRIDLIB_PC_TO_PREFIX}")
configure_file(cmake/gridlib.pc.in ${PROJECT_BINARY_DIR}/gridlib.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/gridlib.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The Python package, where Debian's python3 looks for packages of the
# prefix /usr (another prefix: PYTHONPATH=<prefix>/lib/python3/dist-packages).
# It finds the library by the path from its own folder, so the tree may be
# moved as a whole.
set(GRIDLIB_PYTHON_DIR lib/python3/dist-packages CACHE STRING "Folder of the Python package, under the prefix")
install(DIRECTORY python/gridlib DESTINATION ${GRIDLIB_PYTHON_DIR} FILES_MATCHING PATTERN "*.py"
  PATTERN __pycache__ EXCLUDE)
if(IS_ABSOLUTE ${GRIDLIB_PYTHON_DIR})
  file(RELATIVE_PATH GRIDLIB_LIBRARY_FROM_PACKAGE ${GRIDLIB_PYTHON_DIR}/gridlib
       ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR})
else()
  file(RELATIVE_PATH GRIDLIB_LIBRARY_FROM_PACKAGE /prefix/${GRIDLIB_PYTHON_DIR}/gridlib
       /prefix/${CMAKE_INSTALL_LIBDIR})
endif()
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/python/_installed.py
  CONTENT "# Written by the install: where the library lies, from this folder.\nLIBRARY_FROM_PACKAGE = '@GRIDLIB_LIBRARY_FROM_PACKAGE@'\n"
  @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/python/_installed.py DESTINATION ${GRIDLIB_PYTHON_DIR}/gridlib)
