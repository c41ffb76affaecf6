# Qt Test executables for the main window shell, its status line and parameter fields, and
# the bitmap, font-folder and About dialogs.
lettrino_add_qtest(MainWindowTest ${CMAKE_CURRENT_SOURCE_DIR}/MainWindowTest.cpp ${CMAKE_CURRENT_SOURCE_DIR}/WindowFixture.h)
