#include "config/field_reader.h"

namespace kernova {
namespace {

bool EndsUnquotedField(int c) {
    return c < 0 || c == ',' || c == '\r' || c == '\n';
}

} // namespace

int FieldReader::Peek() {
    if (position_ < length_) {
        return buffer_[position_];
    }
    if (finished_) {
        return -1;
    }
    std::size_t got = 0;
    const std::error_code ec = file_.ReadSome(offset_, buffer_.data(), buffer_.size(), got);
    if (ec || got == 0) {
        finished_ = true;
        failed_ = static_cast<bool>(ec);
        return -1;
    }
    offset_ += static_cast<std::int64_t>(got);
    position_ = 0;
    length_ = got;
    return buffer_[0];
}

std::optional<std::string> FieldReader::Next() {
    if (AtEnd()) {
        return std::nullopt;
    }
    std::size_t consumed = 0;
    // Takes the next byte into the field's budget; false once the field is too long.
    auto take = [&] {
        Advance();
        return ++consumed <= kMaxFieldBytes;
    };

    while (Peek() == ' ') {
        if (!take()) {
            return std::nullopt;
        }
    }
    std::string field;
    int c = Peek();
    if (c == '"') {
        take();
        while ((c = Peek()) >= 0 && c != '"') {
            field.push_back(static_cast<char>(c));
            if (!take()) {
                return std::nullopt;
            }
        }
        if (c == '"') {
            take();
        }
        while (!EndsUnquotedField(c = Peek())) {
            if (!take()) {
                return std::nullopt;
            }
        }
    } else {
        while (!EndsUnquotedField(c = Peek())) {
            field.push_back(static_cast<char>(c));
            if (!take()) {
                return std::nullopt;
            }
        }
    }
    if (failed_) {
        return std::nullopt;
    }
    if (c == ',' || c == '\n') {
        Advance();
    } else if (c == '\r') {
        Advance();
        if (Peek() == '\n') {
            Advance();
        }
    }
    return field;
}

} // namespace kernova
