#include "archive/extraction.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace kernova {

ExtractionFolder::ExtractionFolder(const std::string& tempFolder) {
    if (tempFolder.empty()) {
        throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory),
                                "no temporary folder for the extraction");
    }
    std::string pattern = tempFolder;
    if (pattern.back() != '/') {
        pattern += '/';
    }
    pattern += "kernova-XXXXXX";
    // mkdtemp picks an unpredictable name, never reuses an existing one and creates the
    // folder for its owner only.
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::system_error(errno, std::generic_category(),
                                "cannot create an extraction folder in " + tempFolder);
    }
    ::chmod(pattern.c_str(), S_IRWXU);
    path_ = pattern + '/';
}

ExtractionFolder::~ExtractionFolder() {
    Remove();
}

void ExtractionFolder::Remove() noexcept {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored); // links inside are removed, never followed
}

} // namespace kernova
