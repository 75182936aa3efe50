// Scenario files for the stand-in browser host: one command per line, '#' starts a comment.
// Arguments are separated by white space; a double-quoted argument may hold spaces, and ""
// is an empty argument. Commands that take a list ("expect-menu") read the rest of the line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace keyvale::harness {

struct Step {
    int line = 0;
    std::string command;
    std::vector<std::string> args;
    std::string rest;  // the text after the command, trimmed
    std::string text;  // the whole line, trimmed
};

// Parses a scenario; false with a message naming the line when a quote is left open.
bool ParseScenario(std::string_view text, std::vector<Step>& steps, std::string& error);

// Splits `text` at `separator`, trimming each part.
std::vector<std::string> SplitList(std::string_view text, char separator);

}  // namespace keyvale::harness
