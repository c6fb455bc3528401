# kovel_library(name SOURCES ... LIBS ...): one static library per subsystem or layer.
function(kovel_library name)
  cmake_parse_arguments(K "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${K_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${K_LIBS})
endfunction()

# kovel_model_library(name SOURCES ... LIBS ...): a library of model code (plain C++, Qt Core
# at most), which tests drive without a window. Configuring fails when it links Qt Widgets,
# directly or through a library already declared, so the split between model and views holds.
function(kovel_model_library name)
  cmake_parse_arguments(K "" "" "SOURCES;LIBS" ${ARGN})
  set(pending ${K_LIBS})
  set(seen "")
  while(pending)
    list(POP_FRONT pending lib)
    if(lib IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${lib})
    if(lib MATCHES "^Qt[0-9]*::Widgets$")
      message(FATAL_ERROR "${name} is model code and must not link Qt Widgets (through ${lib}); "
                          "move the widgets into a ui/ library beside it.")
    endif()
    if(TARGET ${lib})
      get_target_property(deps ${lib} INTERFACE_LINK_LIBRARIES)
      if(deps)
        foreach(dep ${deps})
          if(dep MATCHES "^Qt[0-9]*::Widgets$")
            message(FATAL_ERROR "${name} is model code and must not link Qt Widgets (${lib} links ${dep}); "
                                "move the widgets into a ui/ library beside it.")
          endif()
          list(APPEND pending ${dep})
        endforeach()
      endif()
    endif()
  endwhile()
  kovel_library(${name} SOURCES ${K_SOURCES} LIBS ${K_LIBS})
endfunction()

# kovel_program(name SOURCES ... LIBS ...): an executable placed in the program folder.
function(kovel_program name)
  cmake_parse_arguments(K "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${K_SOURCES})
  target_link_libraries(${name} PRIVATE ${K_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KOVEL_PROGRAM_DIR})
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
