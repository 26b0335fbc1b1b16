#include "support/test_user.h"

#include <cstdlib>
#include <unistd.h>

namespace kernova::test {

std::vector<std::string> AsTestUser(const std::vector<std::string>& argv,
                                    const std::map<std::string, std::string>& env) {
    if (::getuid() == ::geteuid()) {
        return argv;
    }
    std::vector<std::string> command = {
        "/usr/bin/setpriv",
        "--reuid=" + std::to_string(::geteuid()),
        "--regid=" + std::to_string(::getegid()),
        // Changing the groups list needs privileges the test user does not have.
        "--keep-groups",
        "/usr/bin/env",
    };
    std::map<std::string, std::string> variables = env;
    // The sanitizers do not read their options in secure-execution mode either.
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && variables.count(name) == 0) {
            variables[name] = value;
        }
    }
    for (const auto& [name, value] : variables) {
        command.push_back(name + "=" + value);
    }
    command.insert(command.end(), argv.begin(), argv.end());
    return command;
}

} // namespace kernova::test
