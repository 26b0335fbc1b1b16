#include "archive/text_routines.h"

#include <cstdlib>

namespace kernova {

std::string GetTempFolder() {
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir != nullptr && *tmpdir != '\0') {
        return tmpdir;
    }
    return "/tmp";
}

} // namespace kernova
