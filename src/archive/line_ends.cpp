#include "archive/line_ends.h"

namespace kernova {

void CrLfConverter::Convert(std::string_view piece, std::string& out) {
    for (char c : piece) {
        if (c == '\n' && previous_ != '\r') {
            out += '\r';
        }
        out += c;
        previous_ = c;
    }
}

} // namespace kernova
