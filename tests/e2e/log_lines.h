// Small queries over the recording core's log lines.
#ifndef ZINDLE_TESTS_E2E_LOG_LINES_H
#define ZINDLE_TESTS_E2E_LOG_LINES_H

#include <string>
#include <vector>

using LogLines = std::vector<std::string>;

// Index of the first line equal to `line` at or after `from`; npos if none.
size_t findLine(const LogLines& log, const std::string& line, size_t from = 0);

// How many lines equal `line`.
size_t countLines(const LogLines& log, const std::string& line);

// The lines that begin with `prefix`, in order.
LogLines linesStartingWith(const LogLines& log, const std::string& prefix);

// The lines from index `from` on.
LogLines linesFrom(const LogLines& log, size_t from);

#endif  // ZINDLE_TESTS_E2E_LOG_LINES_H
