#include "log_lines.h"

#include <algorithm>

size_t findLine(const LogLines& log, const std::string& line, size_t from) {
    for (size_t index = from; index < log.size(); ++index) {
        if (log[index] == line)
            return index;
    }
    return std::string::npos;
}

size_t countLines(const LogLines& log, const std::string& line) {
    return static_cast<size_t>(std::count(log.begin(), log.end(), line));
}

LogLines linesStartingWith(const LogLines& log, const std::string& prefix) {
    LogLines found;
    for (const std::string& line : log) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            found.push_back(line);
    }
    return found;
}

LogLines linesFrom(const LogLines& log, size_t from) {
    return from < log.size() ? LogLines(log.begin() + static_cast<std::ptrdiff_t>(from), log.end())
                             : LogLines();
}
