#pragma once

class MainMenus;

// The usual keys on the menu entries, shown beside them in the menus:
// Ctrl+N New, Ctrl+O Open, Ctrl+P Print, Ctrl+Q Exit, F5 Run To Limits,
// Shift+F5 Stop, F9 Sample Data. A greyed entry ignores its key.
void addMenuShortcuts(MainMenus &menus);
