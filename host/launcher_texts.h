// Fixed texts the launcher shows. GB2312 texts are escaped byte strings with
// the readable form beside them; code and tests share these definitions.
#ifndef ZINDLE_HOST_LAUNCHER_TEXTS_H
#define ZINDLE_HOST_LAUNCHER_TEXTS_H

// Start-up error box: the command line carried no url.
inline constexpr char StartupErrorText[] =
    "\xB3\xCC\xD0\xF2\xD3\xF6\xB5\xBD\xB4\xED\xCE\xF3,"
    "\xC7\xEB\xD6\xD8\xD0\xC2\xC6\xF4\xB6\xAF!";  // 程序遇到错误,请重新启动!

#endif  // ZINDLE_HOST_LAUNCHER_TEXTS_H
