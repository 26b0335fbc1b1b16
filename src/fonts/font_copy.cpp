#include "fonts/font_copy.h"

#include "fonts/pending_font_file.h"

#include <utility>

namespace kernova {
namespace {

bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

// Names the file `name`, or the first free numbered variant of it.
FontCopyResult PublishUnderFreeName(PendingFontFile& file, const std::string& folder,
                                    const std::string& name) {
    // Enough for any real collection of same-named files; beyond it the folder is odd.
    constexpr int kMaxNumber = 9999;
    for (int number = 0; number <= kMaxNumber; ++number) {
        std::string candidate = number == 0 ? name : NumberedName(name, number);
        std::error_code ec = file.Publish(folder + candidate);
        if (!ec) {
            return {{}, candidate};
        }
        if (ec != std::errc::file_exists) {
            return {ec, {}};
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

FontDelivery::FontDelivery(std::string folder, std::size_t groupSize)
    : folder_(std::move(folder)), groupSize_(groupSize == 0 ? 1 : groupSize) {}

FontDelivery::~FontDelivery() = default;

std::size_t FontDelivery::Add(const std::string& source, const std::string& name) {
    const std::size_t ticket = results_.size();
    results_.emplace_back();
    FontCopyResult& result = results_.back();
    if (!IsPlainFileName(name) || folder_.empty()) {
        result.error = std::make_error_code(std::errc::invalid_argument);
        return ticket;
    }
    auto file = std::make_unique<PendingFontFile>(folder_);
    if (file->error()) {
        result.error = file->error();
        return ticket;
    }
    if ((result.error = file->CopyFrom(source))) {
        return ticket;
    }
    Enqueue(ticket, std::move(file), name);
    return ticket;
}

std::size_t FontDelivery::AddOwnFile(const std::string& source, const std::string& name) {
    if (!IsPlainFileName(name) || folder_.empty()) {
        return Add(source, name); // refused there
    }
    std::unique_ptr<PendingFontFile> file = PendingFontFile::Adopt(source, folder_);
    if (!file) {
        return Add(source, name);
    }
    const std::size_t ticket = results_.size();
    results_.emplace_back();
    Enqueue(ticket, std::move(file), name);
    return ticket;
}

void FontDelivery::Enqueue(std::size_t ticket, std::unique_ptr<PendingFontFile> file,
                           const std::string& name) {
    file->StartWriteBack();
    pending_.push_back({ticket, name, std::move(file)});
    if (pending_.size() >= groupSize_) {
        DeliverGroup();
    }
}

void FontDelivery::Finish() {
    DeliverGroup();
}

void FontDelivery::DeliverGroup() {
    // Every file of the group is being written back already: the first flush waits for
    // the disk, the others mostly find their data there.
    for (Pending& font : pending_) {
        results_[font.ticket].error = font.file->Flush();
    }
    for (Pending& font : pending_) {
        FontCopyResult& result = results_[font.ticket];
        if (!result.error) {
            result = PublishUnderFreeName(*font.file, folder_, font.name);
        }
    }
    pending_.clear();
}

FontCopyResult CopyFontInto(const std::string& source, const std::string& folder,
                            const std::string& name) {
    FontDelivery delivery(folder, 1);
    const std::size_t ticket = delivery.Add(source, name);
    delivery.Finish();
    return delivery.result(ticket);
}

} // namespace kernova
