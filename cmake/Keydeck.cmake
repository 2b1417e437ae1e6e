# Test and packaging helpers shared by every deliverable.
include(CMakeParseArguments)

set(KD_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)

# Host unit test: GoogleTest with the sanitizers of the host build.
function(kd_host_gtest name)
  cmake_parse_arguments(A "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(KD_WIN)
    return()
  endif()
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 120)
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gmock GTest::gtest_main)
  add_test(NAME host.${name} COMMAND ${name})
  set_tests_properties(host.${name} PROPERTIES TIMEOUT ${A_TIMEOUT})
endfunction()

# Registers one ctest per Windows version, each run by wine-run.sh in a
# throwaway prefix with its own display.
function(_kd_add_wine_runs prefix name versions desktop timeout)
  if(NOT versions)
    set(versions winxp win98)
  endif()
  if(NOT timeout)
    set(timeout 180)
  endif()
  set(flags)
  if(desktop)
    list(APPEND flags --desktop)
  endif()
  # wine-run.sh gets a little less than ctest so that it can clean up and
  # report a hung program itself.
  math(EXPR inner "${timeout} - 15")
  foreach(v ${versions})
    add_test(NAME ${prefix}.${name}.${v}
      COMMAND ${KD_WINE_RUN} --build ${CMAKE_BINARY_DIR} --version ${v} ${flags}
              --timeout ${inner} -- ${ARGN})
    set_tests_properties(${prefix}.${name}.${v} PROPERTIES TIMEOUT ${timeout})
  endforeach()
endfunction()

# Windows GoogleTest binary run under Wine.
function(kd_win_gtest name)
  cmake_parse_arguments(A "DESKTOP" "TIMEOUT" "SOURCES;LIBS;VERSIONS;DEPENDS" ${ARGN})
  if(NOT KD_WIN)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gmock GTest::gtest_main)
  if(A_DEPENDS)
    add_dependencies(${name} ${A_DEPENDS})
  endif()
  _kd_add_wine_runs(win ${name} "${A_VERSIONS}" "${A_DESKTOP}" "${A_TIMEOUT}"
                    $<TARGET_FILE:${name}>)
endfunction()

# End-to-end test: a bash script run inside the Wine environment.
function(kd_wine_test name)
  cmake_parse_arguments(A "DESKTOP" "TIMEOUT;SCRIPT" "VERSIONS;DEPENDS" ${ARGN})
  if(NOT KD_WIN)
    return()
  endif()
  get_filename_component(script ${A_SCRIPT} ABSOLUTE)
  _kd_add_wine_runs(e2e ${name} "${A_VERSIONS}" "${A_DESKTOP}" "${A_TIMEOUT}"
                    bash ${script})
  if(A_DEPENDS)
    # Make `all` build what the script starts.
    add_custom_target(e2e_deps_${name} ALL DEPENDS ${A_DEPENDS})
  endif()
endfunction()

# Import library for a DLL whose stdcall exports carry no @N decoration:
# the .def lists the decorated names the callers reference, dlltool -k
# binds them to the undecorated exports.
function(kd_import_library target)
  cmake_parse_arguments(A "" "DEF;DLL" "" ${ARGN})
  if(NOT KD_WIN)
    return()
  endif()
  get_filename_component(def ${A_DEF} ABSOLUTE)
  set(lib ${CMAKE_CURRENT_BINARY_DIR}/lib${target}.a)
  add_custom_command(OUTPUT ${lib}
    COMMAND i686-w64-mingw32-dlltool -k -d ${def} -D ${A_DLL} -l ${lib}
    DEPENDS ${def}
    COMMENT "Import library for ${A_DLL}")
  add_custom_target(${target}_gen DEPENDS ${lib})
  add_library(${target} INTERFACE)
  add_dependencies(${target} ${target}_gen)
  target_link_libraries(${target} INTERFACE ${lib})
endfunction()

# A libFuzzer program, built only in the fuzz configuration (KD_FUZZ, made
# by scripts/fuzz.sh). In the ordinary host build it registers a ctest that
# runs the fuzzer briefly over its committed seeds through scripts/fuzz.sh;
# the fuzz.build test builds every fuzzer first.
function(kd_fuzz_target name)
  cmake_parse_arguments(A "" "SECONDS;CORPUS" "SOURCES;LIBS" ${ARGN})
  if(KD_WIN)
    return()
  endif()
  if(KD_FUZZ)
    add_executable(${name} ${A_SOURCES})
    target_link_libraries(${name} PRIVATE ${A_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    return()
  endif()
  if(NOT A_SECONDS)
    set(A_SECONDS 5)
  endif()
  get_property(built GLOBAL PROPERTY KD_FUZZ_BUILD_TEST)
  if(NOT built)
    set_property(GLOBAL PROPERTY KD_FUZZ_BUILD_TEST ON)
    get_filename_component(parent ${CMAKE_BINARY_DIR} DIRECTORY)
    add_test(NAME fuzz.build
             COMMAND ${CMAKE_COMMAND} -E env KD_FUZZ_BUILD=${parent}/fuzz
                     ${CMAKE_SOURCE_DIR}/scripts/fuzz.sh --build-only)
    set_tests_properties(fuzz.build PROPERTIES TIMEOUT 900 FIXTURES_SETUP fuzzers)
  endif()
  math(EXPR limit "${A_SECONDS} + 60")
  get_filename_component(parent ${CMAKE_BINARY_DIR} DIRECTORY)
  add_test(NAME fuzz.${name}
           COMMAND ${CMAKE_COMMAND} -E env KD_FUZZ_BUILD=${parent}/fuzz
                   ${CMAKE_SOURCE_DIR}/scripts/fuzz.sh ${name} ${A_SECONDS})
  set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT ${limit} FIXTURES_REQUIRED fuzzers)
endfunction()
