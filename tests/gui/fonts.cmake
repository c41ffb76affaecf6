# Font lists, glyph display, single-font matching and the results list.
lettrino_add_qtest(results_list_tests ${CMAKE_CURRENT_SOURCE_DIR}/ResultsListTest.cpp)
lettrino_add_qtest(font_lists_tests ${CMAKE_CURRENT_SOURCE_DIR}/FontListsTest.cpp
                   ${CMAKE_CURRENT_SOURCE_DIR}/FontsFixtures.cpp)
lettrino_add_qtest(single_match_tests ${CMAKE_CURRENT_SOURCE_DIR}/SingleMatchTest.cpp
                   ${CMAKE_CURRENT_SOURCE_DIR}/FontsFixtures.cpp)
