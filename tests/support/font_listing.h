#pragma once

#include <map>
#include <string>
#include <vector>

namespace kernova::test {

// One font as a fresh fontconfig client sees it.
struct ListedFont {
    std::string fullName; // the first full name
    std::string file;
};

// What a new `fc-list` process, started with `env` on top of this process's environment,
// lists: every font of the configuration, sorted by file. Throws when fc-list fails.
std::vector<ListedFont> ListFontsInNewProcess(const std::map<std::string, std::string>& env);

// True when ListFontsInNewProcess lists a font of that full name.
bool NewProcessListsFullName(const std::map<std::string, std::string>& env,
                             const std::string& fullName);

} // namespace kernova::test
