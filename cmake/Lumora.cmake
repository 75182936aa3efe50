# Build helpers shared by every folder of the tree.
#
#   lumora_target(TARGET)            warnings and common settings for one of our targets
#   lumora_test(NAME SOURCES ... [LIBS ...] [LOCKS ...] [TIMEOUT s] [LABELS ...] [WINDOWS])
#                                    a GoogleTest executable run by CTest; on Windows builds
#                                    it runs on Wine through the emulator wrapper
#   lumora_wine_test(NAME COMMAND ... [LOCKS ...] [TIMEOUT s])
#                                    a Windows-only test whose command is a script or tool
#                                    that runs Windows programs through ${LUMORA_WINE_RUN}
#   lumora_typelib(TARGET IDL OUT)   compiles a .idl into a .tlb with widl

add_library(lumora_options INTERFACE)
target_compile_features(lumora_options INTERFACE cxx_std_20)
target_compile_options(lumora_options INTERFACE -Wall -Wextra)
target_include_directories(lumora_options INTERFACE ${PROJECT_SOURCE_DIR}/src)

if(LUMORA_SANITIZE)
  target_compile_options(lumora_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                         -fno-sanitize-recover=undefined)
  target_link_options(lumora_options INTERFACE -fsanitize=address,undefined)
endif()

function(lumora_target target)
  target_link_libraries(${target} PRIVATE lumora_options)
endfunction()

# --- GoogleTest -------------------------------------------------------------------------
if(CMAKE_CROSSCOMPILING)
  # Built from the sources that Debian's googletest package installs.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  # Its CMake files define the GTest:: aliases themselves.
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()

# --- Wine -------------------------------------------------------------------------------
if(CMAKE_CROSSCOMPILING)
  set(LUMORA_WINE_STATE ${CMAKE_BINARY_DIR}/wine)
  set(LUMORA_WINE_RUN ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh ${LUMORA_WINE_ARCH} ${LUMORA_WINE_STATE})
  set(CMAKE_CROSSCOMPILING_EMULATOR ${LUMORA_WINE_RUN})
  # Every test run starts from a new prefix and ends its Wine and display processes.
  add_test(NAME wine.session.begin COMMAND ${LUMORA_WINE_RUN} --fresh)
  set_tests_properties(wine.session.begin PROPERTIES FIXTURES_SETUP wine_session)
  add_test(NAME wine.session.end COMMAND ${LUMORA_WINE_RUN} --shutdown)
  set_tests_properties(wine.session.end PROPERTIES FIXTURES_CLEANUP wine_session)
endif()

function(_lumora_test_properties name)
  cmake_parse_arguments(T "" "TIMEOUT" "LOCKS;LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LOCKS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_session)
  endif()
endfunction()

function(lumora_test name)
  cmake_parse_arguments(T "WINDOWS" "TIMEOUT" "SOURCES;LIBS;LOCKS;LABELS" ${ARGN})
  if(T_WINDOWS AND NOT WIN32)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  lumora_target(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  _lumora_test_properties(${name} TIMEOUT ${T_TIMEOUT} LOCKS ${T_LOCKS} LABELS ${T_LABELS})
endfunction()

function(lumora_wine_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "COMMAND;LOCKS;LABELS" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  add_test(NAME ${name} COMMAND ${T_COMMAND})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT
    "LUMORA_WINE_RUN=${PROJECT_SOURCE_DIR}/cmake/wine-run.sh ${LUMORA_WINE_ARCH} ${LUMORA_WINE_STATE}")
  _lumora_test_properties(${name} TIMEOUT ${T_TIMEOUT} LOCKS ${T_LOCKS} LABELS ${T_LABELS})
endfunction()

# --- Type libraries ---------------------------------------------------------------------
if(WIN32)
  enable_language(RC)
  execute_process(COMMAND dpkg -L libwine-dev OUTPUT_VARIABLE _wine_dev_files OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(REGEX MATCH "[^\n]*/oaidl\\.idl" _oaidl "${_wine_dev_files}")
  get_filename_component(LUMORA_IDL_DIR "${_oaidl}" DIRECTORY)
  execute_process(COMMAND dpkg -L libwine:i386 OUTPUT_VARIABLE _wine_files OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(REGEX MATCH "[^\n]*/stdole2\\.tlb" _stdole "${_wine_files}")
  get_filename_component(LUMORA_TLB_DIR "${_stdole}" DIRECTORY)
  if(NOT LUMORA_IDL_DIR OR NOT LUMORA_TLB_DIR)
    message(FATAL_ERROR "oaidl.idl (libwine-dev) or stdole2.tlb (libwine:i386) not found; run tools/setup.sh")
  endif()
endif()

function(lumora_typelib target idl out)
  add_custom_command(OUTPUT ${out}
    COMMAND ${LUMORA_WIDL} ${LUMORA_WIDL_FLAGS} -I${LUMORA_IDL_DIR} -L${LUMORA_TLB_DIR} -t -o ${out} ${idl}
    DEPENDS ${idl} VERBATIM)
  add_custom_target(${target} DEPENDS ${out})
endfunction()
