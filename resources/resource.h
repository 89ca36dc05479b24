// Resource identifiers of the launcher, shared by the resource script and
// the code. Plain macros, because the resource compiler reads this file too.
#ifndef ZINDLE_RESOURCES_RESOURCE_H
#define ZINDLE_RESOURCES_RESOURCE_H

// The About box (DIALOGEX), shown for the About command.
#define IDD_ABOUT 103

// The window class's large icon (task bar, Alt+Tab).
#define IDI_LAUNCHER 107

// The window class's small icon (caption bar).
#define IDI_LAUNCHER_SMALL 108

// String: the window class name, "ZINDLEQRVT".
#define IDS_WINDOW_CLASS 109

// The About box's version line, at a fixed control identifier of its own.
#define IDC_ABOUT_TEXT 1000

#endif  // ZINDLE_RESOURCES_RESOURCE_H
