#include "fonts/font_copy.h"

#include "archive/plain_file_name.h"
#include "platform/file_system.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace kernova {
namespace {

// True when `existing` is a plain file (not a link) with exactly the bytes of `source`.
bool SameBytes(FileSystem& files, const std::string& existing, const std::string& source) {
    std::error_code ec;
    std::unique_ptr<InputFile> a = files.Open(existing, ec, Links::Refuse);
    std::unique_ptr<InputFile> b = a ? files.Open(source, ec) : nullptr;
    if (!b || a->Size() != b->Size()) {
        return false;
    }
    constexpr std::size_t kChunk = 64 * 1024;
    std::string left(kChunk, '\0'), right(kChunk, '\0');
    for (std::int64_t at = 0; at < a->Size(); at += kChunk) {
        const auto size = static_cast<std::size_t>(std::min<std::int64_t>(kChunk, a->Size() - at));
        if (a->ReadAt(at, left.data(), size) || b->ReadAt(at, right.data(), size) ||
            left.compare(0, size, right, 0, size) != 0) {
            return false;
        }
    }
    return true;
}

// Names the file `name`, or the first free numbered variant of it. A name already taken by
// a file with the font's very bytes (installed before, or the same font twice in one
// package) is the font: it is adopted, never written again as a numbered copy.
FontCopyResult CommitUnderFreeName(FileSystem& files, StagedFile& file, const std::string& folder,
                                   const std::string& name, const std::string& source) {
    // Enough for any real collection of same-named files; beyond it the folder is odd.
    constexpr int kMaxNumber = 9999;
    for (int number = 0; number <= kMaxNumber; ++number) {
        std::string candidate = number == 0 ? name : NumberedName(name, number);
        std::error_code ec = file.Commit(folder + candidate, Placement::KeepExisting);
        if (!ec) {
            return {{}, candidate};
        }
        if (ec != std::errc::file_exists) {
            return {ec, {}};
        }
        if (SameBytes(files, folder + candidate, source)) {
            return {{}, candidate, true};
        }
    }
    return {std::make_error_code(std::errc::file_exists), {}};
}

} // namespace

std::string NumberedName(const std::string& name, int number) {
    std::string suffix(1, '_');
    suffix += std::to_string(number);
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        return name + suffix;
    }
    return name.substr(0, dot) + suffix + name.substr(dot);
}

FontDelivery::FontDelivery(FileSystem& files, std::string folder, std::size_t groupSize)
    : files_(files), folder_(std::move(folder)), groupSize_(groupSize == 0 ? 1 : groupSize) {}

FontDelivery::~FontDelivery() = default;

std::size_t FontDelivery::Add(const std::string& source, const std::string& name) {
    return AddFile(source, name, false, false);
}

std::size_t FontDelivery::AddOwnFile(const std::string& source, const std::string& name) {
    return AddFile(source, name, true, false);
}

std::size_t FontDelivery::AddOwnFileReplacing(const std::string& source, const std::string& name) {
    return AddFile(source, name, true, true);
}

std::size_t FontDelivery::AddFile(const std::string& source, const std::string& name, bool own,
                                  bool replace) {
    const std::size_t ticket = results_.size();
    results_.emplace_back();
    if (!IsPlainFileName(name) || folder_.empty()) {
        results_[ticket].error = std::make_error_code(std::errc::invalid_argument);
        return ticket;
    }
    std::unique_ptr<StagedFile> file = own ? files_.Adopt(source, folder_) : nullptr;
    if (!file) {
        std::error_code ec;
        std::unique_ptr<InputFile> in = files_.Open(source, ec);
        file = in ? files_.Stage(folder_, 0644, ec) : nullptr;
        // Readable by everyone who uses the folder's fonts, whatever the file-creation mask.
        if (file && !(ec = file->CopyFrom(*in, 0, in->Size()))) {
            ec = file->SetMode(0644);
        }
        if (ec) {
            results_[ticket].error = ec;
            return ticket;
        }
    }
    Enqueue(ticket, std::move(file), name, source, replace);
    return ticket;
}

void FontDelivery::Enqueue(std::size_t ticket, std::unique_ptr<StagedFile> file,
                           const std::string& name, const std::string& source, bool replace) {
    pending_.push_back({ticket, name, source, std::move(file), replace});
    if (pending_.size() >= groupSize_) {
        DeliverGroup();
    }
}

void FontDelivery::Finish() {
    DeliverGroup();
}

void FontDelivery::DeliverGroup() {
    // One flush of the whole file system puts the group on the disk in one go, at the cost
    // of about one file's flush (starting each file's write-back first only costs more);
    // where that is not to be had, or it failed without saying for which file, each file is
    // flushed on its own.
    const bool flushedAll = !pending_.empty() && !files_.FlushFileSystem(folder_);
    for (Pending& font : pending_) {
        results_[font.ticket].error = flushedAll ? font.file->CheckFlushed() : font.file->Flush();
    }
    if (beforeNaming_) {
        std::vector<Pending*> planned;
        for (Pending& font : pending_) {
            if (!results_[font.ticket].error) {
                planned.push_back(&font);
            }
        }
        std::error_code ec;
        while (!planned.empty()) {
            std::vector<PlannedFont> group;
            for (const Pending* font : planned) {
                group.push_back({font->name, font->source});
            }
            ec = beforeNaming_(group);
            if (ec != std::errc::no_space_on_device) {
                break;
            }
            // A full disk: the group's last font gives its room back, so that the rest
            // may still go.
            Pending& last = *planned.back();
            last.file.reset();
            results_[last.ticket].error = ec;
            planned.pop_back();
        }
        for (const Pending* font : planned) {
            if (ec) {
                results_[font->ticket].error = ec;
                results_[font->ticket].held = true;
            }
        }
    }
    for (Pending& font : pending_) {
        FontCopyResult& result = results_[font.ticket];
        if (result.error) {
            continue;
        }
        if (font.replace) {
            result = {font.file->Commit(folder_ + font.name, Placement::Replace), font.name};
        } else {
            result = CommitUnderFreeName(files_, *font.file, folder_, font.name, font.source);
        }
    }
    pending_.clear();
}

} // namespace kernova
