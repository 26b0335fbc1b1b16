#include "archive/extraction.h"

#include "archive/environment_fault.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace kernova {

ExtractionFolder::ExtractionFolder(FileSystem& files, const std::string& tempFolder)
    : files_(files) {
    if (tempFolder.empty()) {
        throw EnvironmentFault("no temporary folder to extract the package into");
    }
    std::error_code ec;
    path_ = files.CreatePrivateFolder(tempFolder, ec);
    if (ec) {
        throw EnvironmentFault("cannot create a folder in " + tempFolder + ": " + ec.message());
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
