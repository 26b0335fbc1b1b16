#pragma once

#include <ostream>
#include <string>

namespace kernova {
class FileSystem;
}

namespace kernova::pack {

// Prints the size and name of every entry of `installer`, as the installer's own directory
// pass reads them (the entry nearest the end first). Returns the exit status: 0, or 1 with
// a message on `errors` when the package is damaged or missing.
int ListInstaller(FileSystem& files, const std::string& installer, std::ostream& out,
                  std::ostream& errors);

} // namespace kernova::pack
