# GoogleTest as the targets GTest::gtest and GTest::gtest_main.
if(NOT CMAKE_CROSSCOMPILING)
    find_package(GTest REQUIRED)
    return()
endif()
# Nothing is packaged for MinGW: build GoogleTest from its sources (Debian's
# googletest package puts them in /usr/src/googletest).
find_path(HOURGATE_GTEST_SOURCE_DIR NAMES googletest/CMakeLists.txt
          PATHS /usr/src/googletest /usr/local/src/googletest NO_CMAKE_FIND_ROOT_PATH
          DOC "GoogleTest's source tree, for the cross build")
if(NOT HOURGATE_GTEST_SOURCE_DIR)
    message(FATAL_ERROR "GoogleTest sources not found: install googletest or set "
                        "HOURGATE_GTEST_SOURCE_DIR (or configure with -DBUILD_TESTING=OFF)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
# It defines the GTest:: aliases itself.
add_subdirectory(${HOURGATE_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
