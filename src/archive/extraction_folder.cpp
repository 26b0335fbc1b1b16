#include "archive/extraction.h"

#include "platform/file_system.h"
#include "platform/path.h"

#include <system_error>

namespace kernova {

ExtractionFolder::ExtractionFolder(FileSystem& files, const std::string& tempFolder)
    : files_(files) {
    if (tempFolder.empty()) {
        throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory),
                                "no temporary folder for the extraction");
    }
    std::error_code ec;
    path_ = files.CreatePrivateFolder(tempFolder, ec);
    if (ec) {
        throw std::system_error(ec, "cannot create an extraction folder in " + tempFolder);
    }
    AddBackslash(path_);
}

ExtractionFolder::~ExtractionFolder() {
    Remove();
}

void ExtractionFolder::Remove() noexcept {
    files_.RemoveTree(path_);
}

} // namespace kernova
