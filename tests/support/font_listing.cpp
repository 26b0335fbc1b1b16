#include "support/font_listing.h"

#include "support/process.h"
#include "support/test_user.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

namespace kernova::test {

std::vector<ListedFont> ListFontsInNewProcess(const std::map<std::string, std::string>& env) {
    ProcessOptions options;
    options.env = env;
    ProcessResult result = RunProcess(
        AsTestUser({"/usr/bin/fc-list", "--format", "%{fullname[0]}\t%{file}\n"}, env), options);
    if (result.exitCode != 0) {
        throw std::runtime_error("fc-list failed: " + result.err);
    }
    std::vector<ListedFont> fonts;
    std::istringstream lines(result.out);
    std::string line;
    while (std::getline(lines, line)) {
        const std::string::size_type tab = line.find('\t');
        if (tab != std::string::npos) {
            fonts.push_back({line.substr(0, tab), line.substr(tab + 1)});
        }
    }
    std::sort(fonts.begin(), fonts.end(),
              [](const ListedFont& a, const ListedFont& b) { return a.file < b.file; });
    return fonts;
}

bool NewProcessListsFullName(const std::map<std::string, std::string>& env,
                             const std::string& fullName) {
    const std::vector<ListedFont> fonts = ListFontsInNewProcess(env);
    return std::any_of(fonts.begin(), fonts.end(),
                       [&](const ListedFont& font) { return font.fullName == fullName; });
}

} // namespace kernova::test
