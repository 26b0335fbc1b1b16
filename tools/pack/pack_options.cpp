#include "pack_options.h"

#include <map>

namespace kernova::pack {
namespace {

using TextOption = std::optional<std::string> PackOptions::*;
using FlagOption = bool PackOptions::*;

const std::map<std::string, TextOption>& TextOptions() {
    static const std::map<std::string, TextOption> options = {
        {"--stub", &PackOptions::stub},       {"--title", &PackOptions::title},
        {"--url", &PackOptions::url},         {"--url-name", &PackOptions::urlName},
        {"--license", &PackOptions::license}, {"--readme", &PackOptions::readme},
        {"--side", &PackOptions::side},       {"--top", &PackOptions::top},
        {"--list", &PackOptions::list},
    };
    return options;
}

const std::map<std::string, FlagOption>& FlagOptions() {
    static const std::map<std::string, FlagOption> options = {
        {"--add-favorites", &PackOptions::addFavorites},
        {"--preview", &PackOptions::preview},
        {"--help", &PackOptions::help},
        {"-h", &PackOptions::help},
    };
    return options;
}

} // namespace

PackOptions ParseCommandLine(const std::vector<std::string>& arguments) {
    PackOptions options;
    std::optional<std::string> output;
    bool onlyInputs = false;
    bool anyPackOption = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (onlyInputs || argument == "-" || argument.empty() || argument[0] != '-') {
            options.inputs.push_back(argument);
            continue;
        }
        if (argument == "--") {
            onlyInputs = true;
            continue;
        }
        std::optional<std::string> inlineValue;
        if (std::string::size_type equals = argument.find('=');
            argument.starts_with("--") && equals != std::string::npos) {
            inlineValue = argument.substr(equals + 1);
            argument.resize(equals);
        }
        if (auto flag = FlagOptions().find(argument); flag != FlagOptions().end()) {
            if (inlineValue) {
                throw UsageError(argument + " takes no value");
            }
            options.*(flag->second) = true;
            anyPackOption = anyPackOption || flag->second != &PackOptions::help;
            continue;
        }
        std::optional<std::string>* target = nullptr;
        if (argument == "-o" || argument == "--output") {
            target = &output;
        } else if (auto text = TextOptions().find(argument); text != TextOptions().end()) {
            target = &(options.*(text->second));
        } else {
            throw UsageError("unknown option " + argument);
        }
        if (*target) {
            throw UsageError(argument + " is given twice");
        }
        if (inlineValue) {
            *target = *inlineValue;
        } else if (i + 1 < arguments.size()) {
            *target = arguments[++i];
        } else {
            throw UsageError(argument + " needs a value");
        }
        anyPackOption = anyPackOption || target != &options.list;
    }
    if (options.help) {
        return options;
    }
    if (options.list) {
        if (anyPackOption || output || !options.inputs.empty()) {
            throw UsageError("--list takes the installer and nothing else");
        }
        return options;
    }
    if (!output || output->empty()) {
        throw UsageError("no output given (-o OUT)");
    }
    options.output = *output;
    if (options.inputs.empty()) {
        throw UsageError("no fonts given");
    }
    return options;
}

std::string UsageText() {
    return R"(Usage: kernova-pack -o OUT [options] FONT...
       kernova-pack --list INSTALLER
       kernova-pack --help

Writes a font installer: the installer stub followed by the package, that is the fonts,
the optional texts and pictures, and the package descriptor kernova.xml.

  -o, --output OUT   the installer to write; it appears only once it is complete
  --stub PATH        the installer stub (default: kernova-installer beside kernova-pack)
  --title T          the package title shown in the wizard's captions and texts
  --url U            the web address the wizard's link opens
  --url-name N       the link's caption and the name of the Favorites entry
  --add-favorites    add a Favorites entry for the web address when installing
  --preview          show a sample of the first font on the welcome page
  --license FILE     a licence the user must accept (stored as license.txt)
  --readme FILE      a text shown before installing (stored as readme.txt)
  --side IMAGE       the picture beside the welcome and finish pages (stored as LEFT.ext)
  --top IMAGE        the picture at the top of the other pages (stored as TOP.ext)
  FONT...            font files: TrueType or OpenType fonts and collections, named
                     *.ttf, *.otf, *.ttc or *.otc. A file named kernova.xml among
                     them is stored as the descriptor instead of one written from the
                     options above (--title, --url, --url-name, --add-favorites and
                     --preview cannot be given with it).
  --list INSTALLER   print the size and name of every entry of an installer, in the
                     order the installer itself reads them
  -h, --help         show this help

Texts are stored with CR LF line ends. Pictures keep their three-character extension.
Every stored name is a plain file name of at most 40 bytes, and no two are alike. An
installer holds at most 32767 entries and stays below 2 GiB. Values that the descriptor
cannot carry (a comma, a double quote, "</", a line break, a control character) are
refused. The title also names the package's record of installed fonts, which /U reads.
Options take their value as the next argument or after "=" (--title=T); "--" ends them.

Exit status: 0 done, 1 bad input or a failure (no output file is left), 2 a wrong
command line, 128+N stopped by signal N (nothing is left either).
)";
}

} // namespace kernova::pack
