#pragma once

#include <map>
#include <string>
#include <vector>

namespace kernova::test {

// The command line that runs `argv` with the variables `env` as the ordinary user the
// tests run as.
//
// A test binary started by root drops only its effective user id (test_main.cpp). A
// program it started directly would run in the kernel's secure-execution mode, in which
// the C library removes TMPDIR and similar variables from the environment: an installer
// would then extract into the real /tmp. So such programs go through setpriv, which makes
// the real ids the test user's as well, and env, which sets the variables again after it.
// The sanitizers' options are passed on the same way. Programs started by an ordinary user
// are run as they are. The process id stays the program's either way (setpriv and env
// replace themselves), so it can be signalled.
std::vector<std::string> AsTestUser(const std::vector<std::string>& argv,
                                    const std::map<std::string, std::string>& env);

} // namespace kernova::test
