# The Windows configuration (MinGW-w64, cmake/mingw-w64-x86_64.cmake): the portable layers
# and their tests, run under Wine by ctest. No fontconfig, FreeType or Qt here.

# The tests of the portable layers, on the in-memory fakes of tests/fakes: the same files
# as the Linux unit tests.
file(GLOB KERNOVA_WINDOWS_TEST_SOURCES CONFIGURE_DEPENDS tests/unit/*.cpp)

if(NOT KERNOVA_TESTS)
  return()
endif()

enable_testing()
include(GoogleTest)

# GoogleTest built from source with the cross compiler; only what the tests link is built.
set(KERNOVA_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to cross-build")
set(INSTALL_GTEST OFF CACHE BOOL "Embedded: nothing of GoogleTest is installed")
add_subdirectory(${KERNOVA_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_executable(kernova_unit_tests ${KERNOVA_WINDOWS_TEST_SOURCES})
target_include_directories(kernova_unit_tests PRIVATE tests)
target_link_libraries(kernova_unit_tests PRIVATE kernova_core GTest::gtest_main)

# PRE_TEST: the test list is read under Wine when ctest runs, where the script has set up
# the prefix, not at build time.
gtest_discover_tests(kernova_unit_tests
  TEST_PREFIX Unit.
  DISCOVERY_MODE PRE_TEST
  DISCOVERY_TIMEOUT 120
  PROPERTIES TIMEOUT 300)

# An exe that imports a MinGW runtime DLL starts on no Windows without that DLL beside it
# (and under Wine exits 53 without a word): each test exe must import system DLLs only.
function(kernova_check_system_imports target)
  add_test(NAME ${target}.ImportsSystemDllsOnly
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DEXE=$<TARGET_FILE:${target}>
            -P ${CMAKE_SOURCE_DIR}/cmake/check_system_imports.cmake)
endfunction()
kernova_check_system_imports(kernova_unit_tests)
