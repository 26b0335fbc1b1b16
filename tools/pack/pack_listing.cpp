#include "pack_listing.h"

#include "archive/archive_directory.h"
#include "archive/corrupt_package.h"
#include "archive/environment_fault.h"
#include "archive/plain_file_name.h"

#include <iomanip>

namespace kernova::pack {

int ListInstaller(FileSystem& files, const std::string& installer, std::ostream& out,
                  std::ostream& errors) {
    ArchiveDirectory directory;
    try {
        directory = ReadArchiveDirectory(files, installer);
    } catch (const CorruptPackage& corrupt) {
        errors << "kernova-pack: " << installer
               << " is not a Kernova installer, or its package is damaged: " << corrupt.what()
               << "\n";
        return 1;
    } catch (const EnvironmentFault& fault) {
        errors << "kernova-pack: " << fault.what() << "\n";
        return 1;
    }
    for (const ArchiveEntry& entry : directory.entries) {
        out << std::setw(10) << entry.size << "  " << Printable(entry.name) << "\n";
    }
    return out.good() ? 0 : 1;
}

} // namespace kernova::pack
