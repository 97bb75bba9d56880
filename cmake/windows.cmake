# MinGW build: the program into build/win (the program directory: what ships, nothing else),
# the Windows tests, their helpers and the benchmarks into build/win-tests, run under Wine.
enable_language(RC)
enable_testing()
set(VORN_WIN_OUT ${CMAKE_SOURCE_DIR}/build/win CACHE PATH "Program directory of the MinGW build")
set(VORN_WIN_TESTS_OUT "" CACHE PATH "Windows tests and benchmarks (default: the program directory's name + -tests)")
set(WIN_OUT ${VORN_WIN_OUT})
set(TESTS_OUT ${VORN_WIN_TESTS_OUT})
if(NOT TESTS_OUT)
  set(TESTS_OUT ${WIN_OUT}-tests)
endif()
# Whatever else is built (tests, their helpers, benchmarks) stays out of the program directory.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${TESTS_OUT})
# Build trees from before the split kept the tests in the program directory.
foreach(old win_tests.exe win_bench.exe bare_window.exe vorn_mapi_test.dll vorn_test_source.ds)
  file(REMOVE ${WIN_OUT}/${old})
endforeach()
# The tests and benchmarks find the program directory from their own.
file(RELATIVE_PATH PROGRAM_DIR_FROM_TESTS ${TESTS_OUT} ${WIN_OUT})
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/src/resources -I${CMAKE_SOURCE_DIR}/src -I${CMAKE_SOURCE_DIR}/data")
add_compile_definitions(WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0600 NOMINMAX)
add_link_options(-static -static-libgcc -static-libstdc++)

# DLLs the first paint does not need are loaded at the first call of one of their functions,
# so that start-up does not wait for them (see cmake/delaylib.cmake). Windows functions are
# called through their import stubs, not through dllimport: for 32-bit code GNU ld leaves the
# table entry of a delay-loaded function empty when it is reached through dllimport.
add_compile_definitions(DECLSPEC_IMPORT=)
set(VORN_DELAYED_DLLS comctl32 gdiplus comdlg32 shell32 ole32 winmm ws2_32)
set(VORN_DELAY_LIBS "")
foreach(dll ${VORN_DELAYED_DLLS})
  find_library(VORN_IMPLIB_${dll} NAMES lib${dll}.a ${dll} REQUIRED)
  set(out ${CMAKE_BINARY_DIR}/delay/lib${dll}_delay.a)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DDLL=${dll} -DIMPORT_LIB=${VORN_IMPLIB_${dll}} -DNM=${CMAKE_NM}
            -DDLLTOOL=${CMAKE_DLLTOOL} -DOUT=${out} -P ${CMAKE_SOURCE_DIR}/cmake/delaylib.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/cmake/delaylib.cmake)
  list(APPEND VORN_DELAY_LIBS ${out})
endforeach()
add_custom_target(vorn_delay_libs DEPENDS ${VORN_DELAY_LIBS})
set(VORN_WIN_LIBS ${VORN_DELAY_LIBS} advapi32 uuid wsock32 msimg32 gdi32 user32 kernel32 mpr)

file(GLOB RC_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/*.rc)
# The paint pass works in SSE2: double precision as GDI computes, and no switches of the x87's
# rounding mode. Every processor the supported Windows versions run on has it.
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/elements/canvas_win.cpp ${CMAKE_SOURCE_DIR}/src/elements/obj_paint.cpp
  ${CMAKE_SOURCE_DIR}/src/elements/obj.cpp ${CMAKE_SOURCE_DIR}/src/view/view_paint_win.cpp
  PROPERTIES COMPILE_OPTIONS "-msse2;-mfpmath=sse")
add_library(vorn_win STATIC ${WIN_SOURCES})
target_include_directories(vorn_win PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(vorn_win PUBLIC vorn_core ${VORN_WIN_LIBS})
add_dependencies(vorn_win vorn_delay_libs)

# Resources are linked as objects so the tests get the same menus and dialogs.
add_library(vorn_res OBJECT ${RC_SOURCES})

add_executable(vorn2001 WIN32 ${CMAKE_SOURCE_DIR}/src/app/main_win.cpp $<TARGET_OBJECTS:vorn_res>)
target_link_libraries(vorn2001 PRIVATE vorn_win)
set_target_properties(vorn2001 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${WIN_OUT})
# Large pictures: a 32-bit process gets 4 GB of address space where the system offers it.
# Sections start on page boundaries in the file, so that the loader can map the image's pages
# as they are first used instead of reading every section into fresh memory at each start.
target_link_options(vorn2001 PRIVATE -Wl,--large-address-aware -Wl,--file-alignment=0x1000)

# Data files ship beside the program.
file(GLOB DATA_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*)
list(FILTER DATA_FILES EXCLUDE REGEX "/SOURCES\\.md$")
# Uninstall deletes exactly the files the program ships with; the list is made here.
set(SHIPPED_LIST "")
foreach(f ${DATA_FILES})
  get_filename_component(n ${f} NAME)
  string(APPEND SHIPPED_LIST "\"${n}\",\n")
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/shipped_files.inc CONTENT "${SHIPPED_LIST}" @ONLY)
target_include_directories(vorn_win PRIVATE ${CMAKE_BINARY_DIR}/generated)
add_custom_target(vorn_data ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${WIN_OUT}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${DATA_FILES} ${WIN_OUT}
  DEPENDS ${DATA_FILES})

add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
add_executable(win_tests ${WIN_TEST_SOURCES} $<TARGET_OBJECTS:vorn_res>)
target_include_directories(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(win_tests PRIVATE vorn_win gtest)
target_compile_definitions(win_tests PRIVATE VORN_PROGRAM_DIR_FROM_TESTS="${PROGRAM_DIR_FROM_TESTS}")
add_dependencies(win_tests vorn2001 vorn_data vorn_mapi_test)
# A Simple MAPI provider for the e-mail tests only: it records what it is handed.
add_library(vorn_mapi_test SHARED ${CMAKE_SOURCE_DIR}/tests/win/mail_provider/mail_provider.cpp)
set_target_properties(vorn_mapi_test PROPERTIES PREFIX "")
target_link_options(vorn_mapi_test PRIVATE -Wl,--kill-at)
# The tests run with the program directory as working directory, as the program does.
add_test(NAME win_tests COMMAND wine ${TESTS_OUT}/win_tests.exe WORKING_DIRECTORY ${WIN_OUT})
set_tests_properties(win_tests PROPERTIES TIMEOUT 2400)

# Speed measurements under Wine: built with the program, run by hand (not part of the tests).
file(GLOB WIN_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/win/*.cpp)
if(WIN_BENCH_SOURCES)
  add_executable(win_bench ${WIN_BENCH_SOURCES} $<TARGET_OBJECTS:vorn_res>)
  target_include_directories(win_bench PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(win_bench PRIVATE VORN_PROGRAM_DIR_FROM_TESTS="${PROGRAM_DIR_FROM_TESTS}")
  target_link_libraries(win_bench PRIVATE vorn_win)
  # The bare window "win_bench startup" sets the program's start-up against.
  add_executable(bare_window WIN32 ${CMAKE_SOURCE_DIR}/bench/bare/bare_window.cpp)
  add_dependencies(win_bench bare_window vorn2001 vorn_data)
endif()
