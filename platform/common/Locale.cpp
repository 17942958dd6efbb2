#include "platform/Locale.h"

#include <cctype>
#include <string>

namespace platform {
namespace {

struct LocaleEntry {
    const char* language;
    const char* territory; // nullptr: the language's primary locale, used without a territory
    LangId id;
};

// Windows identifiers of the locales a user of this program is likely to run.
constexpr LocaleEntry kLocales[] = {
    {"en", nullptr, 0x0409}, {"en", "US", 0x0409},    {"en", "GB", 0x0809},
    {"en", "AU", 0x0C09},    {"en", "CA", 0x1009},    {"en", "NZ", 0x1409},
    {"en", "IE", 0x1809},    {"en", "ZA", 0x1C09},    {"en", "IN", 0x4009},
    {"en", "SG", 0x4809},

    {"zh", nullptr, 0x0804}, {"zh", "CN", 0x0804},    {"zh", "TW", 0x0404},
    {"zh", "HK", 0x0C04},    {"zh", "SG", 0x1004},    {"zh", "MO", 0x1404},

    {"ja", nullptr, 0x0411}, {"ja", "JP", 0x0411},

    {"de", nullptr, 0x0407}, {"de", "DE", 0x0407},    {"de", "CH", 0x0807},
    {"de", "AT", 0x0C07},    {"de", "LU", 0x1007},    {"de", "LI", 0x1407},

    {"fr", nullptr, 0x040C}, {"fr", "FR", 0x040C},    {"fr", "BE", 0x080C},
    {"fr", "CA", 0x0C0C},    {"fr", "CH", 0x100C},    {"fr", "LU", 0x140C},
    {"fr", "MC", 0x180C},

    {"es", nullptr, 0x0C0A}, {"es", "ES", 0x0C0A},    {"es", "MX", 0x080A},
    {"es", "GT", 0x100A},    {"es", "CR", 0x140A},    {"es", "PA", 0x180A},
    {"es", "DO", 0x1C0A},    {"es", "VE", 0x200A},    {"es", "CO", 0x240A},
    {"es", "PE", 0x280A},    {"es", "AR", 0x2C0A},    {"es", "EC", 0x300A},
    {"es", "CL", 0x340A},    {"es", "UY", 0x380A},    {"es", "PY", 0x3C0A},
    {"es", "BO", 0x400A},    {"es", "SV", 0x440A},    {"es", "HN", 0x480A},
    {"es", "NI", 0x4C0A},    {"es", "PR", 0x500A},    {"es", "US", 0x540A},

    {"it", nullptr, 0x0410}, {"it", "IT", 0x0410},    {"it", "CH", 0x0810},

    {"pt", nullptr, 0x0816}, {"pt", "PT", 0x0816},    {"pt", "BR", 0x0416},
    {"ko", nullptr, 0x0412}, {"ru", nullptr, 0x0419}, {"nl", nullptr, 0x0413},
    {"nl", "BE", 0x0813},    {"pl", nullptr, 0x0415}, {"sv", nullptr, 0x041D},
    {"tr", nullptr, 0x041F}, {"cs", nullptr, 0x0405},
};

} // namespace

LangId LangIdFromLocaleName(std::string_view name) {
    // language[_TERRITORY][.codeset][@modifier], with '-' accepted for '_'
    name = name.substr(0, name.find_first_of(".@"));
    const size_t sep = name.find_first_of("_-");
    std::string language(name.substr(0, sep));
    std::string territory(sep == std::string_view::npos ? std::string_view()
                                                        : name.substr(sep + 1));
    for (char& c : language)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : territory)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    LangId primary = 0;
    for (const LocaleEntry& e : kLocales) {
        if (language != e.language)
            continue;
        if (!e.territory)
            primary = e.id;
        else if (territory == e.territory)
            return e.id;
    }
    return primary ? primary : kLangIdEnglishUS;
}

} // namespace platform
