#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

// Tests run as an ordinary user even when the suite is started as root (as CI does):
// root installs fonts system-wide, and no test may touch the real system's fonts.
// Only the effective id drops, so each test still runs with a user's rights.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::geteuid() == 0) {
        std::filesystem::path root = KERNOVA_SANDBOX_ROOT;
        std::filesystem::create_directories(root);
        ::chmod(root.c_str(), 01777);
        constexpr uid_t kNobody = 65534;
        if (::setegid(kNobody) != 0 || ::seteuid(kNobody) != 0) {
            std::perror("cannot drop root for the tests");
            return 2;
        }
    }
    return RUN_ALL_TESTS();
}
