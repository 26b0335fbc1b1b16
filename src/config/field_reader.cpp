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
    const ssize_t got = file_.Read(buffer_.data(), buffer_.size());
    if (got <= 0) {
        finished_ = true;
        failed_ = got < 0;
        return -1;
    }
    position_ = 0;
    length_ = static_cast<std::size_t>(got);
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
