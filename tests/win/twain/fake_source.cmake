# The TWAIN data source the Windows tests acquire from: built beside the tests, never shipped
# under a name the platform's source manager looks for (the tests copy it as "sane.ds").
add_library(vorn_test_source SHARED ${CMAKE_SOURCE_DIR}/tests/win/twain/fake_source.cpp)
target_include_directories(vorn_test_source PRIVATE ${CMAKE_SOURCE_DIR}/src)
set_target_properties(vorn_test_source PROPERTIES PREFIX "" SUFFIX ".ds")
target_link_options(vorn_test_source PRIVATE -Wl,--kill-at)
add_dependencies(win_tests vorn_test_source)
