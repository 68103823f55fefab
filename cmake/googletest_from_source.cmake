# GoogleTest for a cross build: Debian's libgtest is built for Linux, so the
# Windows test programs get GoogleTest compiled from Debian's own sources
# (package googletest) with the cross compiler. Afterwards find_package(GTest)
# finds these targets, so the test folders need no change.
set(GRUMBOSH_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources, for cross builds")
if(NOT EXISTS ${GRUMBOSH_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${GRUMBOSH_GOOGLETEST_SOURCE} (Debian package googletest)")
endif()
if(NOT TARGET gtest)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${GRUMBOSH_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(target gtest gtest_main)
    # Its code is not held to our warning flags, nor its headers in our tests.
    target_compile_options(${target} PRIVATE -w)
    get_target_property(includes ${target} INTERFACE_INCLUDE_DIRECTORIES)
    set_target_properties(${target} PROPERTIES INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${includes}")
    if(NOT TARGET GTest::${target})
      add_library(GTest::${target} ALIAS ${target})
    endif()
  endforeach()
  file(WRITE ${PROJECT_BINARY_DIR}/gtest-config/GTestConfig.cmake
       "# The targets come from cmake/googletest_from_source.cmake.\n")
  set(GTest_DIR ${PROJECT_BINARY_DIR}/gtest-config CACHE PATH "" FORCE)
endif()
