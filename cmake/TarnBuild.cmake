# Shared build settings and helpers for the module, the kit and the tests.

set(TARN_ROOT ${CMAKE_SOURCE_DIR})
set(TARN_CERT_DIR ${CMAKE_SOURCE_DIR}/build/certs CACHE PATH "test signing certificates")
execute_process(COMMAND ${CMAKE_SOURCE_DIR}/tools/make-certs ${TARN_CERT_DIR}
                RESULT_VARIABLE certs_result)
if(NOT certs_result EQUAL 0)
  message(FATAL_ERROR "could not make the test certificates")
endif()

# Compile settings every target of ours shares.
function(tarn_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  target_compile_definitions(${target} PRIVATE
    UNICODE _UNICODE _WIN32_WINNT=0x0A00 WINVER=0x0A00 NOMINMAX
    RAPIDJSON_HAS_STDSTRING=1)
  target_include_directories(${target} PRIVATE ${TARN_ROOT}/src ${TARN_ROOT})
endfunction()

# Signs a DLL or EXE after each link: trusted (default) or rogue publisher.
function(tarn_sign target)
  set(who trusted)
  if(ARGC GREATER 1)
    set(who ${ARGV1})
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${TARN_ROOT}/tools/sign ${TARN_CERT_DIR} $<TARGET_FILE:${target}> ${who}
    VERBATIM)
endfunction()

# tarn_add_test(NAME n SOURCES ... [LIBS ...] [DEPENDS targets] [RESOURCE_LOCK locks]
#               [TIMEOUT s] [OWN_MAIN] [ARGS args...])
# One GoogleTest program, run under Wine by CTest. OWN_MAIN: the sources bring main().
function(tarn_add_test)
  cmake_parse_arguments(T "OWN_MAIN" "NAME;TIMEOUT" "SOURCES;LIBS;DEPENDS;RESOURCE_LOCK;LABELS;ARGS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  tarn_defaults(${T_NAME})
  if(T_OWN_MAIN)
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gmock gtest)
  else()
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gmock gtest_main)
  endif()
  if(T_DEPENDS)
    add_dependencies(${T_NAME} ${T_DEPENDS})
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1 ${T_ARGS}
           WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_RESOURCE_LOCK)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
  endif()
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
