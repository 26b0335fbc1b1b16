#include "pack_descriptor.h"

#include "archive/text_routines.h"

#include <stdexcept>

namespace kernova::pack {
namespace {

// The keys the installer reads; a value holding one of their opening markers would be
// found in place of the real tag.
constexpr const char* kKeys[] = {"URL",     "URLNAME",      "TITLE",          "README",
                                 "LICENSE", "ADDFAVORITES", "SHOWFONTPREVIEW"};

const char* Boolean(bool value) {
    return value ? "True" : "False";
}

} // namespace

void CheckDescriptorValue(const std::string& option, const std::string& value) {
    auto refuse = [&option](const std::string& what) {
        throw std::runtime_error(option + " cannot hold " + what +
                                 ": the installer would read the value wrongly");
    };
    if (value.find(',') != std::string::npos) {
        refuse("a comma");
    }
    if (value.find('"') != std::string::npos) {
        refuse("a double quote");
    }
    if (value.find("</") != std::string::npos) {
        refuse("\"</\"");
    }
    if (value.find_first_of("\r\n") != std::string::npos) {
        refuse("a line break");
    }
    // Shown as "?" by the installer: two titles would look alike, and /U tells packages
    // apart by their titles.
    if (ReplaceControls(value) != value) {
        refuse("a control character");
    }
    const std::string folded = FoldCase(value);
    for (const char* key : kKeys) {
        if (folded.find(FoldCase("<" + std::string(key) + ">")) != std::string::npos) {
            refuse("the tag <" + std::string(key) + ">");
        }
    }
}

std::string DescriptorText(const DescriptorValues& values) {
    std::string text;
    auto line = [&text](const std::string& content) { text += content + "\r\n"; };
    line("<XML>");
    line("<Version>Kernova 5</Version>");
    line("<Title>" + values.title + "</Title>");
    line("<Readme>" + std::string(Boolean(values.readme)) + "</Readme>");
    line("<License>" + std::string(Boolean(values.license)) + "</License>");
    // Each value on a line of its own: the reader ends a value at the first "</".
    line("<WebLink>");
    line("<URL>" + values.url + "</URL>");
    line("<URLName>" + values.urlName + "</URLName>");
    line("</WebLink>");
    line("<AddFavorites>" + std::string(Boolean(values.addFavorites)) + "</AddFavorites>");
    line("<ShowFontPreview>" + std::string(Boolean(values.preview)) + "</ShowFontPreview>");
    line("</XML>");
    return text;
}

} // namespace kernova::pack
