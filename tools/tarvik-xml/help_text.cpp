#include "help_text.h"

namespace tarvik::tool {

const char BraceHelp[] =
    "Parses TEXT, or standard input read whole and as is for \"-\" (refused at a\n"
    "zero byte, which no command line holds, as print refuses one), as brace\n"
    "notation (name = value, name = (group), -- comment) and prints the tree as\n"
    "indented text, starting with the root element AbsoluteRoot so that the\n"
    "attributes it received show. Put \"--\" before a TEXT that begins with \"-\".\n"
    "A refused text (a group left open) still prints what came before the error,\n"
    "which is what the launcher keeps; the error goes to standard error.\n"
    "\n"
    "--make writes one brace-notation line holding the attributes NAME=VALUE in\n"
    "the order given (each split at its first \"=\"; values as given, or from UTF-8\n"
    "with --utf8), quoted and doubled where the notation needs it, to standard\n"
    "output, ready to paste into a launch link. It first reads the line back as\n"
    "the launcher would hold it and refuses a line that would read differently;\n"
    "when url, connstate or waitClose is among the names, what the launcher\n"
    "would take from it (as --launch shows) goes to standard error.\n"
    "--format prints TEXT's tree in the canonical brace form: every attribute as\n"
    "name=value, then the groups, then the text.\n";

const char BraceOptions[] =
    "  --launch  also show the url, connstate and waitClose that the launcher\n"
    "            takes from the text (from the root, or from its one group), and\n"
    "            whether its start-up would go on.\n"
    "  --make    write a brace line from the operands NAME=VALUE...\n"
    "  --format  print TEXT in the canonical brace form\n";

const char BraceExitStatus[] =
    "Exit status: 0 the text was accepted (with --launch: and start-up would go\n"
    "on), 1 it was refused (with --launch: or start-up would stop; with --make: a\n"
    "value brace notation cannot hold, or the launcher would read it otherwise),\n"
    "2 the command line was wrong.\n";

const char BraceMoreUsage[] =
    "       tarvik-xml brace --make [--utf8] NAME=VALUE...\n"
    "       tarvik-xml brace --format [--utf8] TEXT|-\n";

const char PrintHelp[] =
    "Reads FILE (\"-\": standard input) as markup text and prints it as indented\n"
    "text: each top-level node as the library prints it (one tab per level,\n"
    "nothing escaped), followed by a line break, written as it goes. An xml\n"
    "declaration is read but not printed. Reports the first error as\n"
    "FILE:LINE:COLUMN: message, and refuses, naming the node, a tree whose\n"
    "printed text would read back different, as saving it would. With --utf8 a\n"
    "GB2312 document is converted; one that declares another encoding (UTF-8,\n"
    "say) is printed as it is.\n"

    "With --xml, FILE is read as standard XML 1.0 (references decoded, every\n"
    "well-formedness error reported with the rule it breaks) and written back as\n"
    "standard XML: its declaration, then its root element, indented, escaped\n"
    "where XML needs it, in the document's own encoding; --utf8 does not convert\n"
    "it.\n";

const char ToBinaryHelp[] =
    "Reads FILE (\"-\": standard input) as markup text and writes its document to\n"
    "OUT as one binary node record: the root element AbsoluteRoot with every\n"
    "top-level node as its child. OUT is replaced only once the whole record is\n"
    "on the disk, so a failed write leaves it as it was; \"-\" as OUT writes the\n"
    "record to standard output. from-binary prints it back as print prints FILE.\n"
    "With --xml, FILE is read as standard XML 1.0, and from-binary --xml writes it\n"
    "back as such.\n";

const char FromBinaryHelp[] =
    "Reads FILE (\"-\": standard input), which must hold exactly one binary node\n"
    "record, and prints the tree as indented text, written as it goes. A\n"
    "document root as to-binary writes it (AbsoluteRoot with nothing but\n"
    "children) is left out, so the text reads as print's; any other top node is\n"
    "printed itself. Reports the first error as FILE: byte N: message.\n"
    "With --xml, each node is written as standard XML 1.0 instead (no declaration,\n"
    "the bytes as the record holds them; --utf8 does not convert them). A tree XML\n"
    "cannot hold (a name XML does not allow, a data bracket, a control character)\n"
    "is refused before anything is written, naming the node by its path.\n";

const char CheckHelp[] =
    "Reads each FILE (\"-\": standard input) once and prints \"FILE: ok (markup\n"
    "text, N elements)\" or \"FILE: ok (binary node stream, N elements)\" when it\n"
    "holds no error and at least one element. Otherwise reports its first\n"
    "error (or that it holds no element) on standard error:\n"
    "FILE:LINE:COLUMN: message for markup text, FILE: byte N: message for a\n"
    "binary node stream, and goes on with the next FILE.\n"
    "FILE is a binary node stream when its first byte is 0x01 or 0x02 (a record\n"
    "opens with its type tag, 1 or 2, as four little-endian bytes), and markup\n"
    "text otherwise, so markup text opening with such a byte is read as binary\n"
    "(print reads it as markup). Markup text holding a zero byte or opening with\n"
    "a UTF-16 or UTF-32 byte-order mark is refused.\n"
    "With --xml, each FILE is read as standard XML 1.0 and reported as \"FILE: ok\n"
    "(XML, N elements)\"; the first well-formedness error is reported as\n"
    "FILE:LINE:COLUMN: message, the message naming the broken rule and its section\n"
    "of XML 1.0. An empty file, or one of plain text, holds no root element and is\n"
    "refused.\n";

const char XmlOption[] = "  --xml     read standard XML 1.0 instead of the library's markup text\n";
const char XmlWritingOption[] =
    "  --xml     read and write standard XML 1.0 instead of the library's markup\n"
    "            text\n";
const char XmlRecordOption[] =
    "  --xml     write the tree as standard XML 1.0 instead of indented text\n";

const char CheckExitStatus[] =
    "Exit status: 0 every FILE was accepted, 1 one or more were refused or could\n"
    "not be read, 2 the command line was wrong.\n";

const char OptionsHelp[] =
    "  --utf8    the terminal speaks UTF-8: TEXT, given or read from standard\n"
    "            input, is read as UTF-8, and everything written is UTF-8.\n"
    "            Without it all text is GB2312 bytes, as the library holds them,\n"
    "            but for messages on standard error, which follow the locale\n"
    "            (UTF-8 in a UTF-8 one). Files are GB2312 always, standard input\n"
    "            read as a FILE (\"-\") too.\n"
    "  --help    show this help, or after a command that command's help\n"
    "  --        end the options: what follows is an argument even if it begins\n"
    "            with \"-\"\n";

const char ExitStatusHelp[] =
    "Exit status: 0 success, 1 the input was refused or a file (standard input\n"
    "too: closed, a directory, or named twice) could not be read or written, 2 the\n"
    "command line was wrong.\n";

}  // namespace tarvik::tool
