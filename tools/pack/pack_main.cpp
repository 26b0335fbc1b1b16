// kernova-pack: writes a font installer (stub + package) and lists existing ones.
#include "archive/package_writer.h"
#include "pack_listing.h"
#include "pack_options.h"
#include "pack_plan.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/termination_cleanup.h"

#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <system_error>

namespace {

constexpr int kFailed = 1;
constexpr int kWrongCommandLine = 2;

// The stub built beside this program.
std::string DefaultStub() {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        throw std::runtime_error("cannot find the default stub (" + ec.message() +
                                 "); give one with --stub");
    }
    return (self.parent_path() / "kernova-installer").string();
}

} // namespace

int main(int argc, char** argv) {
    using namespace kernova::pack;
    if (argc <= 1) {
        std::cerr << UsageText();
        return kWrongCommandLine;
    }
    PackOptions options;
    try {
        options = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& wrong) {
        std::cerr << "kernova-pack: " << wrong.what() << "\nTry 'kernova-pack --help'.\n";
        return kWrongCommandLine;
    }
    if (options.help) {
        std::cout << UsageText();
        return 0;
    }
    if (options.list) {
        kernova::posix::PosixFileSystem files;
        return ListInstaller(files, *options.list, std::cout, std::cerr);
    }
    try {
        // Stopped by a signal, it deletes the output's hidden staged file (an unnamed one
        // goes with the process) and ends with 128 + the signal: no output behind.
        kernova::posix::TerminationCleanup interruption;
        interruption.Arm({});
        const std::string stub = options.stub ? *options.stub : DefaultStub();
        std::vector<std::string> notes;
        std::vector<kernova::PackageInput> entries =
            PlanPackage(options, IsWindowsProgram(stub), &notes);
        for (const std::string& note : notes) {
            std::cout << "kernova-pack: " << note << "\n";
        }
        kernova::posix::PosixFileSystem files;
        kernova::WritePackage(files, stub, entries, options.output);
        std::cout << "kernova-pack: wrote " << options.output << " (" << entries.size()
                  << " entries)\n";
    } catch (const std::runtime_error& failure) {
        std::cerr << "kernova-pack: " << failure.what() << "\n";
        return kFailed;
    }
    return 0;
}
