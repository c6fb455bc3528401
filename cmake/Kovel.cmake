# kovel_library(name SOURCES ... LIBS ...): one static library per subsystem or layer, of model
# code, which tests drive without a window. Configuring fails when it links Qt Widgets, directly
# or through any library it links: windows belong in a view library beside it (a ui/ folder).
# The check runs once the whole project is configured, so libraries defined later are seen too.
function(kovel_library name)
  kovel_static_library(${name} ${ARGN})
  set_property(GLOBAL APPEND PROPERTY KOVEL_MODEL_LIBRARIES ${name})
  get_property(scheduled GLOBAL PROPERTY KOVEL_MODEL_CHECK_SCHEDULED)
  if(NOT scheduled)
    set_property(GLOBAL PROPERTY KOVEL_MODEL_CHECK_SCHEDULED TRUE)
    cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL kovel_check_model_libraries)
  endif()
endfunction()

# kovel_view_library(name SOURCES ... LIBS ...): a library that holds windows or widget code
# (a ui/ folder, a program's start-up on the desktop): the one kind that may link Qt Widgets.
function(kovel_view_library name)
  kovel_static_library(${name} ${ARGN})
endfunction()

function(kovel_static_library name)
  cmake_parse_arguments(K "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${K_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${K_LIBS})
endfunction()

# The targets `target` links, at any depth, through LINK_LIBRARIES and INTERFACE_LINK_LIBRARIES
# (aliases resolved); out_chain gets the first path found to Qt Widgets, "" when none.
function(kovel_widgets_chain target out_chain)
  set(seen ${target})
  set(queue ${target})
  set(chain_${target} ${target})
  while(queue)
    list(POP_FRONT queue t)
    set(links "")
    foreach(prop LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(v ${t} ${prop})
      if(v)
        list(APPEND links ${v})
      endif()
    endforeach()
    foreach(item IN LISTS links)
      # Generator expressions ($<LINK_ONLY:x>, conditions) are taken at their word: every
      # target named inside counts, so a conditional Widgets link is refused too.
      string(REGEX MATCHALL "[A-Za-z0-9_.+-]+(::[A-Za-z0-9_.+-]+)*" names "${item}")
      foreach(dep IN LISTS names)
        # Qt Widgets counts by its name, found or not.
        if(dep MATCHES "^Qt[0-9]*::Widgets$")
          string(MAKE_C_IDENTIFIER "${t}" tid)
          if(t STREQUAL target)
            set(${out_chain} "${target} -> ${dep}" PARENT_SCOPE)
          else()
            set(${out_chain} "${chain_${tid}} -> ${dep}" PARENT_SCOPE)
          endif()
          return()
        endif()
        if(NOT TARGET ${dep})
          continue()
        endif()
        get_target_property(real ${dep} ALIASED_TARGET)
        if(real)
          set(dep ${real})
        endif()
        if(dep IN_LIST seen)
          continue()
        endif()
        list(APPEND seen ${dep})
        string(MAKE_C_IDENTIFIER "${dep}" id)
        string(MAKE_C_IDENTIFIER "${t}" tid)
        if(t STREQUAL target)
          set(chain_${id} "${target} -> ${dep}")
        else()
          set(chain_${id} "${chain_${tid}} -> ${dep}")
        endif()
        if(dep MATCHES "^Qt[0-9]*::Widgets$")
          set(${out_chain} "${chain_${id}}" PARENT_SCOPE)
          return()
        endif()
        list(APPEND queue ${dep})
      endforeach()
    endforeach()
  endwhile()
  set(${out_chain} "" PARENT_SCOPE)
endfunction()

function(kovel_check_model_libraries)
  get_property(models GLOBAL PROPERTY KOVEL_MODEL_LIBRARIES)
  set(faults "")
  foreach(m IN LISTS models)
    kovel_widgets_chain(${m} chain)
    if(chain)
      string(APPEND faults "\n  ${m} is model code and must not link Qt Widgets, but does: ${chain}")
    endif()
  endforeach()
  if(faults)
    message(FATAL_ERROR "${faults}\nMove the windows into a view library (kovel_view_library, in a ui/ folder "
                        "beside the model), or link the model without them.")
  endif()
endfunction()

# kovel_program(name SOURCES ... LIBS ...): an executable placed in the program folder.
function(kovel_program name)
  cmake_parse_arguments(K "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${K_SOURCES})
  target_link_libraries(${name} PRIVATE ${K_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KOVEL_PROGRAM_DIR})
endfunction()

# kovel_test_fonts(): the tests see exactly the fonts scripts/deps.sh installs, whatever else
# this machine has collected, so a developer's machine lays out text as a fresh one does. A
# fontconfig file of those folders keeps the system's alias rules (Arial -> Liberation Sans);
# Qt and LibreOffice both read it through FONTCONFIG_FILE.
function(kovel_test_fonts)
  execute_process(COMMAND sh ${PROJECT_SOURCE_DIR}/scripts/deps.sh --font-dirs
                  OUTPUT_VARIABLE dirs OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR dirs STREQUAL "")
    message(WARNING "The font packages of scripts/deps.sh are not installed: the tests use every font of this machine")
    return()
  endif()
  string(REPLACE "\n" ";" dirs "${dirs}")
  set(xml "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n<fontconfig>\n")
  foreach(d IN LISTS dirs)
    string(APPEND xml "  <dir>${d}</dir>\n")
  endforeach()
  string(APPEND xml "  <cachedir>${CMAKE_BINARY_DIR}/test-fonts/cache</cachedir>\n"
                    "  <include ignore_missing=\"yes\">/etc/fonts/conf.d</include>\n</fontconfig>\n")
  file(WRITE ${CMAKE_BINARY_DIR}/test-fonts/fonts.conf "${xml}")
  set(KOVEL_TEST_FONTCONFIG ${CMAKE_BINARY_DIR}/test-fonts/fonts.conf CACHE INTERNAL "")
endfunction()

# kovel_test(name SOURCES ... LIBS ... [TIMEOUT s]): a GoogleTest executable run by CTest
# headless, with the program folder and a private user profile so tests never touch ~.
function(kovel_test name)
  if(NOT KOVEL_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(K "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT K_TIMEOUT)
    set(K_TIMEOUT 300)
  endif()
  add_executable(${name} ${K_SOURCES})
  target_link_libraries(${name} PRIVATE ${K_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    KOVEL_PROGRAM_DIR="${KOVEL_PROGRAM_DIR}"
    KOVEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    KOVEL_BINARY_DIR="${CMAKE_BINARY_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  set(scratch ${CMAKE_BINARY_DIR}/test-home/${name})
  file(MAKE_DIRECTORY ${scratch}/config ${scratch}/data)
  set_tests_properties(${name} PROPERTIES TIMEOUT ${K_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HOME=${scratch};XDG_CONFIG_HOME=${scratch}/config;XDG_DATA_HOME=${scratch}/data;KOVEL_PROGRAM_DIR=${KOVEL_PROGRAM_DIR};KOVEL_MACHINE_REGISTRY=${scratch}/machine.reg")
  if(KOVEL_TEST_FONTCONFIG AND NOT KOVEL_TEST_SYSTEM_FONTS)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "FONTCONFIG_FILE=${KOVEL_TEST_FONTCONFIG}")
  endif()
  if(TARGET program_files)
    add_dependencies(${name} program_files)
  endif()
endfunction()

# kovel_benchmark(name SOURCES ... LIBS ...): built, never run by CTest.
function(kovel_benchmark name)
  if(NOT KOVEL_BUILD_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(K "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${K_SOURCES})
  target_link_libraries(${name} PRIVATE ${K_LIBS} benchmark::benchmark benchmark::benchmark_main)
  target_compile_definitions(${name} PRIVATE KOVEL_PROGRAM_DIR="${KOVEL_PROGRAM_DIR}")
endfunction()

# kovel_fuzzer(name SOURCES ... LIBS ...): a libFuzzer target, only with clang.
function(kovel_fuzzer name)
  if(NOT KOVEL_BUILD_FUZZERS)
    return()
  endif()
  cmake_parse_arguments(K "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${K_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${K_LIBS})
endfunction()

# Adds every immediate subfolder that has a CMakeLists.txt, so that a new layer or tool
# folder needs no edit of a shared file.
macro(kovel_add_subdirectories)
  file(GLOB _kovel_children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _kovel_children)
  foreach(_kovel_child ${_kovel_children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${_kovel_child}
       AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_kovel_child}/CMakeLists.txt)
      add_subdirectory(${_kovel_child})
    endif()
  endforeach()
endmacro()
