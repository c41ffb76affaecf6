# The search run, its statistics, and the canvas inspection aids.
lettrino_add_qtest(search_run_tests ${CMAKE_CURRENT_SOURCE_DIR}/SearchRunTest.cpp
                   ${CMAKE_CURRENT_SOURCE_DIR}/FontsFixtures.cpp)
lettrino_add_qtest(inspect_tests ${CMAKE_CURRENT_SOURCE_DIR}/InspectTest.cpp
                   ${CMAKE_CURRENT_SOURCE_DIR}/FontsFixtures.cpp)
