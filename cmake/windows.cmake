# The Windows configuration (MinGW-w64, cmake/mingw-w64-x86_64.cmake): the Win32 backend,
# the installer kernova-installer.exe, and the tests, run under Wine by ctest. No fontconfig,
# FreeType or Qt here.

# Windows 10's headers (the calls used all exist since Windows 7).
add_compile_definitions(_WIN32_WINNT=0x0A00 WINVER=0x0A00)

# Files, registry, fonts, shell folders and the runtime on Win32.
file(GLOB KERNOVA_WIN32_SOURCES CONFIGURE_DEPENDS src/platform/win32/*.cpp)
add_library(kernova_win32 STATIC ${KERNOVA_WIN32_SOURCES})
target_link_libraries(kernova_win32 PUBLIC kernova_core
  shell32 ole32 windowscodecs gdi32 user32 advapi32 bcrypt uuid comctl32 msimg32)

# The installer stub: a windowed program with the wide-character entry point, its manifest
# and version information; kernova-pack appends a package to it.
add_executable(kernova-installer WIN32 src/main/windows_installer_main.cpp
  src/main/windows_installer.rc)
target_link_options(kernova-installer PRIVATE -municode)
target_link_libraries(kernova-installer PRIVATE kernova_win32)
target_link_options(kernova-installer PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)

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
kernova_check_system_imports(kernova-installer)

# Bulk fonts for the Windows tests, "Kernova Bulk NNNN": a number per font a test installs,
# so that tests sharing the run's Wine prefix never install the same font.
set(KERNOVA_BULK_FONT_DIR ${CMAKE_BINARY_DIR}/fonts-bulk)
add_custom_command(
  OUTPUT ${KERNOVA_BULK_FONT_DIR}/stamp
  COMMAND ${KERNOVA_PYTHON} ${CMAKE_SOURCE_DIR}/tools/testfonts/make_fonts.py
          --out ${KERNOVA_BULK_FONT_DIR} --many 40
  COMMAND ${CMAKE_COMMAND} -E touch ${KERNOVA_BULK_FONT_DIR}/stamp
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/testfonts/make_fonts.py
  COMMENT "Making the bulk test fonts")
add_custom_target(kernova_bulk_fonts DEPENDS ${KERNOVA_BULK_FONT_DIR}/stamp)

# The Win32 backend against the prefix's system, and the installer run as a separate process
# (its fonts folder, registry, Favorites and temporary folder looked at afterwards); the
# wizard's windows in a program of their own (below).
file(GLOB KERNOVA_WINDOWS_SYSTEM_TEST_SOURCES CONFIGURE_DEPENDS tests/windows/*_test.cpp)
list(FILTER KERNOVA_WINDOWS_SYSTEM_TEST_SOURCES EXCLUDE REGEX "wizard_test\\.cpp$")
# What both test programs share: the test fonts, installers made from the built stub, runs
# of one as a separate process, the prefix's folders and registry.
add_library(kernova_windows_test_support STATIC tests/windows/windows_world.cpp)
target_include_directories(kernova_windows_test_support PUBLIC tests)
target_link_libraries(kernova_windows_test_support PUBLIC kernova_win32 version GTest::gtest)
target_compile_definitions(kernova_windows_test_support PUBLIC
  KERNOVA_FONT_DIR="${KERNOVA_FONT_DIR}"
  KERNOVA_BULK_FONT_DIR="${KERNOVA_BULK_FONT_DIR}"
  KERNOVA_INSTALLER_PATH="$<TARGET_FILE:kernova-installer>")
function(kernova_windows_test_program name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE kernova_windows_test_support GTest::gtest_main)
  add_dependencies(${name} kernova-installer kernova_fonts kernova_bulk_fonts)
  kernova_check_system_imports(${name})
endfunction()
kernova_windows_test_program(kernova_windows_tests ${KERNOVA_WINDOWS_SYSTEM_TEST_SOURCES})
gtest_discover_tests(kernova_windows_tests
  TEST_PREFIX Windows.
  DISCOVERY_MODE PRE_TEST
  DISCOVERY_TIMEOUT 120
  PROPERTIES TIMEOUT 300)

# The wizard's tests take the keyboard's focus on the run's one display: one at a time.
kernova_windows_test_program(kernova_windows_wizard_tests tests/windows/wizard_test.cpp)
gtest_discover_tests(kernova_windows_wizard_tests
  TEST_PREFIX Windows.
  DISCOVERY_MODE PRE_TEST
  DISCOVERY_TIMEOUT 120
  PROPERTIES TIMEOUT 300 RESOURCE_LOCK display)

# An installer packed by the Linux kernova-pack (when one is given) installs under Wine.
set(KERNOVA_HOST_PACK "" CACHE FILEPATH "kernova-pack built for Linux, to pack as a vendor would")
if(KERNOVA_HOST_PACK)
  add_test(NAME Windows.PackedOnLinuxInstallsAndRegisters
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/packed_on_linux.sh ${KERNOVA_HOST_PACK}
            $<TARGET_FILE:kernova-installer> ${KERNOVA_FONT_DIR} ${CMAKE_BINARY_DIR}/packed-on-linux)
  set_tests_properties(Windows.PackedOnLinuxInstallsAndRegisters PROPERTIES TIMEOUT 300)
endif()
