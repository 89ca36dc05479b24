#include "core_script.h"

#include <cstdlib>
#include <sstream>

namespace {

bool parseNumber(const std::string& word, long long& value) {
    if (word.empty())
        return false;
    char* end = nullptr;
    value = std::strtoll(word.c_str(), &end, 0);
    return *end == '\0';
}

template <typename Number>
bool readNumber(std::istringstream& words, Number& value) {
    std::string word;
    long long parsed = 0;
    if (!(words >> word) || !parseNumber(word, parsed))
        return false;
    value = static_cast<Number>(parsed);
    return true;
}

bool parseTrigger(const std::string& word, ScriptRule& rule) {
    if (word == "create") {
        rule.trigger = ScriptRule::Trigger::Create;
        return true;
    }
    if (word == "start") {
        rule.trigger = ScriptRule::Trigger::Start;
        return true;
    }
    long long message = 0;
    rule.trigger = ScriptRule::Trigger::Message;
    if (!parseNumber(word, message))
        return false;
    rule.triggerMessage = static_cast<uint32_t>(message);
    return true;
}

// The optional parts after the message: parameters, then the keywords.
bool parseTail(std::istringstream& words, ScriptRule& rule) {
    std::string word;
    int position = 0;
    while (words >> word) {
        long long number = 0;
        if (position == 0 && parseNumber(word, number)) {
            rule.wParam = static_cast<uint64_t>(number);
            position = 1;
        } else if (position == 1 && parseNumber(word, number)) {
            rule.lParam = number;
            position = 2;
        } else if (word == "after") {
            if (!readNumber(words, rule.afterMs))
                return false;
            position = 2;
        } else if (word == "repeat") {
            std::string every;
            if (!readNumber(words, rule.repeat) || !(words >> every) || every != "every" ||
                !readNumber(words, rule.everyMs))
                return false;
            position = 2;
        } else {
            return false;
        }
    }
    return rule.repeat > 0;
}

bool parseRule(const std::string& text, ScriptRule& rule) {
    std::istringstream words(text);
    std::string on, trigger, action;
    if (!(words >> on >> trigger >> action) || on != "on" || !parseTrigger(trigger, rule))
        return false;
    if (action == "post")
        rule.action = ScriptRule::Action::Post;
    else if (action == "send")
        rule.action = ScriptRule::Action::Send;
    else
        return false;
    return readNumber(words, rule.message) && parseTail(words, rule);
}

bool isBlank(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

}  // namespace

std::vector<ScriptRule> parseScript(const std::string& text, std::vector<std::string>& errors) {
    std::vector<ScriptRule> rules;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line, ';')) {
        if (isBlank(line))
            continue;
        ScriptRule rule;
        if (parseRule(line, rule))
            rules.push_back(rule);
        else
            errors.push_back("bad rule: " + line);
    }
    return rules;
}
