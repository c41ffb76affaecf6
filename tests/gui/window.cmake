# Qt Test executables for the main window shell, its status line and parameter fields, and
# the bitmap, font-folder and About dialogs.
lettrino_add_qtest(MainWindowTest ${CMAKE_CURRENT_SOURCE_DIR}/MainWindowTest.cpp ${CMAKE_CURRENT_SOURCE_DIR}/WindowFixture.h)
lettrino_add_qtest(StatusLineTest ${CMAKE_CURRENT_SOURCE_DIR}/StatusLineTest.cpp ${CMAKE_CURRENT_SOURCE_DIR}/WindowFixture.h)
lettrino_add_qtest(ParamFieldsTest ${CMAKE_CURRENT_SOURCE_DIR}/ParamFieldsTest.cpp ${CMAKE_CURRENT_SOURCE_DIR}/WindowFixture.h)
lettrino_add_qtest(BitmapDialogTest ${CMAKE_CURRENT_SOURCE_DIR}/BitmapDialogTest.cpp ${CMAKE_CURRENT_SOURCE_DIR}/WindowFixture.h)
lettrino_add_qtest(DialogsTest ${CMAKE_CURRENT_SOURCE_DIR}/DialogsTest.cpp ${CMAKE_CURRENT_SOURCE_DIR}/WindowFixture.h)
