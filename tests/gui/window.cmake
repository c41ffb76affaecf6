# Qt Test executables for the main window shell, its status line and parameter fields, and
# the bitmap, font-folder and About dialogs.
