// The launcher's settings, read from its one brace-notation command line:
//
//     url='http://game.example/entry', connstate=2, waitClose=0
//     (url=..., connstate=..., waitClose=...)        -- one group works too
//
// Only `url`, `connstate` and `waitClose` are read, from the root of the
// parsed text or, when the root has no attributes and exactly one child
// group, from that group. The first occurrence of a name counts.
#ifndef ZINDLE_HOST_LAUNCH_PARAMETERS_H
#define ZINDLE_HOST_LAUNCH_PARAMETERS_H

#include <cstdint>
#include <string>

#include "host/code_page_string.h"
#include "xml/document.h"

// The three launch parameters; narrow strings are GB2312.
struct LaunchParameters {
    std::string url;        // empty: not given, and start-up must not go on
    std::string connstate;  // empty when not given
    int32_t waitClose = 1;  // 0: quit at once on close; otherwise let the game core decide
};

// Parses the command line (null allowed) and takes the parameters from it; a
// refused text still yields what was read before the error.
LaunchParameters readLaunchParameters(const wchar_t* commandLine);

// Takes the parameters from a command line already parsed into `document`,
// exactly as readLaunchParameters does after its parse.
LaunchParameters launchParametersOf(const tarvik::xml::XMLDocument& document);

// The start-up error for a command line without url: the command line to the
// debugger output, then the error box. The caller then exits with code 0.
void reportStartupError(const wchar_t* commandLine);

#endif  // ZINDLE_HOST_LAUNCH_PARAMETERS_H
