# Against the stand-in service, in-process on a loopback address of each test's own.
dovel_test(port_check_tests e2e ${CMAKE_CURRENT_LIST_DIR}/port_check_test.cpp)
target_link_libraries(port_check_tests PRIVATE dovel-central-core)
