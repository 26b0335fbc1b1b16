#include "archive/staged_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

namespace kernova {
namespace {

std::string RandomSuffix() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char bytes[12] = {};
    std::size_t got = 0;
    while (got < sizeof bytes) {
        ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
        } else if (errno != EINTR) {
            break; // O_EXCL still keeps a guessed name from being used
        }
    }
    std::string suffix;
    for (unsigned char b : bytes) {
        suffix += kLetters[b % (sizeof kLetters - 1)];
    }
    return suffix;
}

} // namespace

StagedFile::StagedFile(const std::string& folder, unsigned mode, std::error_code& ec) {
    std::string prefix = folder;
    if (!prefix.empty() && prefix.back() != '/') {
        prefix += '/';
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = prefix + ".kernova-" + RandomSuffix() + ".part";
        file_ = FileHandle::Open(path_, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, ec, mode);
        if (file_.valid() || ec != std::errc::file_exists) {
            break;
        }
    }
    if (!file_.valid()) {
        path_.clear();
    }
}

StagedFile::~StagedFile() {
    if (!committed_ && !path_.empty()) {
        file_.Close();
        ::unlink(path_.c_str());
    }
}

std::error_code StagedFile::Commit(const std::string& target) {
    std::error_code ec = file_.Close();
    if (!ec && ::rename(path_.c_str(), target.c_str()) != 0) {
        ec.assign(errno, std::generic_category());
    }
    if (ec) {
        ::unlink(path_.c_str());
    }
    committed_ = true; // either renamed into place or already deleted
    return ec;
}

} // namespace kernova
