// The tool's help: the name it goes by and the fixed texts --help shows. The
// command table (command_table.h) puts them together per command.
#ifndef TARVIK_TOOL_HELP_TEXT_H
#define TARVIK_TOOL_HELP_TEXT_H

namespace tarvik::tool {

// The name usage lines and messages give the tool.
inline constexpr char ProgramName[] = "tarvik-xml";

// Per command: what --help says after the usage line (...Help), its own options
// (...Option, ...Options), more usage lines, an exit status unlike ExitStatusHelp.
extern const char BraceHelp[];
extern const char BraceOptions[];
extern const char BraceExitStatus[];
extern const char BraceMoreUsage[];
extern const char PrintHelp[];
extern const char ToBinaryHelp[];
extern const char FromBinaryHelp[];
extern const char CheckHelp[];
extern const char CheckExitStatus[];
// --xml as print (reads and writes), to-binary and check (reads), and
// from-binary (writes) take it.
extern const char XmlWritingOption[];
extern const char XmlOption[];
extern const char XmlRecordOption[];

// For every command: the options all of them take, and the usual exit status.
extern const char OptionsHelp[];
extern const char ExitStatusHelp[];

}  // namespace tarvik::tool

#endif  // TARVIK_TOOL_HELP_TEXT_H
