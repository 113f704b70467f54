#include "net/LogonDialogData.h"

#include <cstdio>
#include <iterator>

#include "platform/MessageBoxSink.h"

namespace {

// Names from Debian's iso-codes (ISO 3166-1, withdrawn codes from ISO 3166-3), with
// the names of earlier releases where today's would break the alphabetical order.
constexpr CountryRow kCountries[] = {
    {"Afghanistan", "AF"},
    {"Albania", "AL"},
    {"Algeria", "DZ"},
    {"American Samoa", "AS"},
    {"Andorra", "AD"},
    {"Angola", "AO"},
    {"Anguilla", "AI"},
    {"Antarctica", "AQ"},
    {"Antigua and Barbuda", "AG"},
    {"Argentina", "AR"},
    {"Armenia", "AM"},
    {"Aruba", "AW"},
    {"Australia", "AU"},
    {"Austria", "AT"},
    {"Azerbaijan", "AZ"},
    {"Bahamas", "BS"},
    {"Bahrain", "BH"},
    {"Bangladesh", "BD"},
    {"Barbados", "BB"},
    {"Belarus", "BY"},
    {"Belgium", "BE"},
    {"Belize", "BZ"},
    {"Benin", "BJ"},
    {"Bermuda", "BM"},
    {"Bhutan", "BT"},
    {"Bolivia, Plurinational State of", "BO"},
    {"Bosnia and Herzegovina", "BA"},
    {"Botswana", "BW"},
    {"Bouvet Island", "BV"},
    {"Brazil", "BR"},
    {"British Indian Ocean Territory", "IO"},
    {"Brunei Darussalam", "BN"},
    {"Bulgaria", "BG"},
    {"Burkina Faso", "BF"},
    {"Burundi", "BI"},
    {"Cambodia", "KH"},
    {"Cameroon", "CM"},
    {"Canada", "CA"},
    {"Cape Verde", "CV"},
    {"Cayman Islands", "KY"},
    {"Central African Republic", "CF"},
    {"Chad", "TD"},
    {"Chile", "CL"},
    {"China", "CN"},
    {"Christmas Island", "CX"},
    {"Cocos (Keeling) Islands", "CC"},
    {"Colombia", "CO"},
    {"Comoros", "KM"},
    {"Congo", "CG"},
    {"Cook Islands", "CK"},
    {"Costa Rica", "CR"},
    {"C" "\xF4" "te d'Ivoire", "CI"},
    {"Croatia", "HR"},
    {"Cuba", "CU"},
    {"Cyprus", "CY"},
    {"Czechia", "CZ"},
    {"Denmark", "DK"},
    {"Djibouti", "DJ"},
    {"Dominica", "DM"},
    {"Dominican Republic", "DO"},
    {"East Timor", "TP"},
    {"Ecuador", "EC"},
    {"Egypt", "EG"},
    {"El Salvador", "SV"},
    {"Equatorial Guinea", "GQ"},
    {"Eritrea", "ER"},
    {"Estonia", "EE"},
    {"Ethiopia", "ET"},
    {"Falkland Islands (Malvinas)", "FK"},
    {"Faroe Islands", "FO"},
    {"Fiji", "FJ"},
    {"Finland", "FI"},
    {"France", "FR"},
    {"France, Metropolitan", "FX"},
    {"French Guiana", "GF"},
    {"French Polynesia", "PF"},
    {"French Southern Territories", "TF"},
    {"Gabon", "GA"},
    {"Gambia", "GM"},
    {"Georgia", "GE"},
    {"Germany", "DE"},
    {"Ghana", "GH"},
    {"Gibraltar", "GI"},
    {"Greece", "GR"},
    {"Greenland", "GL"},
    {"Grenada", "GD"},
    {"Guadeloupe", "GP"},
    {"Guam", "GU"},
    {"Guatemala", "GT"},
    {"Guinea", "GN"},
    {"Guinea-Bissau", "GW"},
    {"Guyana", "GY"},
    {"Haiti", "HT"},
    {"Heard Island and McDonald Islands", "HM"},
    {"Honduras", "HN"},
    {"Hong Kong", "HK"},
    {"Hungary", "HU"},
    {"Iceland", "IS"},
    {"India", "IN"},
    {"Indonesia", "ID"},
    {"Iran, Islamic Republic of", "IR"},
    {"Iraq", "IQ"},
    {"Ireland", "IE"},
    {"Israel", "IL"},
    {"Italy", "IT"},
    {"Jamaica", "JM"},
    {"Japan", "JP"},
    {"Jordan", "JO"},
    {"Kazakhstan", "KZ"},
    {"Kenya", "KE"},
    {"Kiribati", "KI"},
    {"Korea, Democratic People's Republic of", "KP"},
    {"Korea, Republic of", "KR"},
    {"Kuwait", "KW"},
    {"Kyrgyzstan", "KG"},
    {"Lao People's Democratic Republic", "LA"},
    {"Latvia", "LV"},
    {"Lebanon", "LB"},
    {"Lesotho", "LS"},
    {"Liberia", "LR"},
    {"Libya", "LY"},
    {"Liechtenstein", "LI"},
    {"Lithuania", "LT"},
    {"Luxembourg", "LU"},
    {"Macao", "MO"},
    {"Macedonia, Republic of", "MK"},
    {"Madagascar", "MG"},
    {"Malawi", "MW"},
    {"Malaysia", "MY"},
    {"Maldives", "MV"},
    {"Mali", "ML"},
    {"Malta", "MT"},
    {"Marshall Islands", "MH"},
    {"Martinique", "MQ"},
    {"Mauritania", "MR"},
    {"Mauritius", "MU"},
    {"Mayotte", "YT"},
    {"Mexico", "MX"},
    {"Micronesia, Federated States of", "FM"},
    {"Moldova, Republic of", "MD"},
    {"Monaco", "MC"},
    {"Mongolia", "MN"},
    {"Montserrat", "MS"},
    {"Morocco", "MA"},
    {"Mozambique", "MZ"},
    {"Myanmar", "MM"},
    {"Namibia", "NA"},
    {"Nauru", "NR"},
    {"Nepal", "NP"},
    {"Netherlands", "NL"},
    {"Netherlands Antilles", "AN"},
    {"New Caledonia", "NC"},
    {"New Zealand", "NZ"},
    {"Nicaragua", "NI"},
    {"Niger", "NE"},
    {"Nigeria", "NG"},
    {"Niue", "NU"},
    {"Norfolk Island", "NF"},
    {"Northern Mariana Islands", "MP"},
    {"Norway", "NO"},
    {"Oman", "OM"},
    {"Pakistan", "PK"},
    {"Palau", "PW"},
    {"Panama", "PA"},
    {"Papua New Guinea", "PG"},
    {"Paraguay", "PY"},
    {"Peru", "PE"},
    {"Philippines", "PH"},
    {"Pitcairn", "PN"},
    {"Poland", "PL"},
    {"Portugal", "PT"},
    {"Puerto Rico", "PR"},
    {"Qatar", "QA"},
    {"R" "\xE9" "union", "RE"},
    {"Romania", "RO"},
    {"Russian Federation", "RU"},
    {"Rwanda", "RW"},
    {"Saint Kitts and Nevis", "KN"},
    {"Saint Lucia", "LC"},
    {"Saint Vincent and the Grenadines", "VC"},
    {"Samoa", "WS"},
    {"San Marino", "SM"},
    {"Sao Tome and Principe", "ST"},
    {"Saudi Arabia", "SA"},
    {"Senegal", "SN"},
    {"Seychelles", "SC"},
    {"Sierra Leone", "SL"},
    {"Singapore", "SG"},
    {"Slovakia", "SK"},
    {"Slovenia", "SI"},
    {"Solomon Islands", "SB"},
    {"Somalia", "SO"},
    {"South Africa", "ZA"},
    {"South Georgia and the South Sandwich Islands", "GS"},
    {"Spain", "ES"},
    {"Sri Lanka", "LK"},
    {"St. Helena", "SH"},
    {"St. Pierre and Miquelon", "PM"},
    {"Sudan", "SD"},
    {"Suriname", "SR"},
    {"Svalbard and Jan Mayen", "SJ"},
    {"Swaziland", "SZ"},
    {"Sweden", "SE"},
    {"Switzerland", "CH"},
    {"Syrian Arab Republic", "SY"},
    {"Taiwan, Province of China", "TW"},
    {"Tajikistan", "TJ"},
    {"Tanzania, United Republic of", "TZ"},
    {"Thailand", "TH"},
    {"Togo", "TG"},
    {"Tokelau", "TK"},
    {"Tonga", "TO"},
    {"Trinidad and Tobago", "TT"},
    {"Tunisia", "TN"},
    {"Turkey", "TR"},
    {"Turkmenistan", "TM"},
    {"Turks and Caicos Islands", "TC"},
    {"Tuvalu", "TV"},
    {"Uganda", "UG"},
    {"Ukraine", "UA"},
    {"United Arab Emirates", "AE"},
    {"United Kingdom", "GB"},
    {"United States", "US"},
    {"United States Minor Outlying Islands", "UM"},
    {"Uruguay", "UY"},
    {"Uzbekistan", "UZ"},
    {"Vanuatu", "VU"},
    {"Vatican City State (Holy See)", "VA"},
    {"Venezuela, Bolivarian Republic of", "VE"},
    {"Viet Nam", "VN"},
    {"Virgin Islands, British", "VG"},
    {"Virgin Islands, U.S.", "VI"},
    {"Wallis and Futuna", "WF"},
    {"Western Sahara", "EH"},
    {"Yemen", "YE"},
    {"Yugoslavia", "YU"},
    {"Zaire", "ZR"},
    {"Zambia", "ZM"},
    {"Zimbabwe", "ZW"},
    {"Other", "??"},
};

constexpr const char* kSex[] = {"Select", "Male", "Female"};
constexpr const char* kAge[] = {"Select",  "Under 18", "18 - 20", "21 - 24", "25 - 34",
                                "35 - 44", "45 - 54",  "55 - 64", "Over 64"};
constexpr const char* kEducation[] = {"Select",          "High school",  "2 year College", "4 year College",
                                      "Graduate degree", "Post Graduate"};
constexpr const char* kIncome[] = {"Select",
                                   "Under $20,000",
                                   "$20,000 - $29,999",
                                   "$30,000 - $39,999",
                                   "$40,000 - $49,999",
                                   "$50,000 - $59,999",
                                   "$60,000 or over"};
constexpr const char* kProcessor[] = {"Select", "486", "Pentium", "Pentium Pro", "Pentium II", "Other"};
constexpr const char* kMemory[] = {"Select",       "8 Megs or less", "9 - 12 Megs",
                                   "13 - 16 Megs", "17 - 32 Megs",   "More than 32 Megs"};
constexpr const char* kMonitor[] = {"Select", "14 in. or smaller", "15 in.", "17 in. or larger", "Laptop"};
constexpr const char* kConnectionSpeed[] = {"Select", "14,400", "28,800", "33,600", "High speed (ISDN etc.)", "Other"};
constexpr const char* kOccupation[] = {"Select",
                                       "Advertising",
                                       "Agriculture/Forresty/Fishing",
                                       "Banking",
                                       "Brokerage",
                                       "Communications (cable,phone)",
                                       "Computers: Hd/Sw manuf.",
                                       "Computers: Hd/Sw reseller",
                                       "Computers: Internet related",
                                       "Computers: Info. Technology",
                                       "Computers: Programmer/Analyst",
                                       "Computers: Training Consultant",
                                       "Construction",
                                       "Consultant",
                                       "Design/Architect",
                                       "Education",
                                       "Engineering",
                                       "Entertainment (radio,film,tv)",
                                       "Finance",
                                       "Healthcare",
                                       "Insurance",
                                       "Law (Attorney,Judge)",
                                       "Law enforcement",
                                       "Manufacturing",
                                       "Marketing",
                                       "Public Service/Government",
                                       "Public Utilities",
                                       "Printing/Publishing",
                                       "Real Estate",
                                       "Retail",
                                       "Student",
                                       "Transportation",
                                       "Wholesale",
                                       "Other"};

constexpr OneFieldMode kModes[] = {
    {4, "User Name", 12, {"This User Name belongs to another user.", "Please enter a new User Name.", ""}},
    {8, "User Name", 12, {"This User Name is unacceptable.", "Please enter a new User Name.", ""}},
    {11, "E-Mail", 60, {"Your EMail Address isn't valid.", "Please enter a valid address.", ""}},
    {12,
     "User Name",
     12,
     {"This User Name no longer belongs to you.", "It expired due to inactivity, and was given to someone else.",
      "Please enter a new User Name."}},
};

bool IsWhite(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::span<const CountryRow> LogonCountries() {
    return kCountries;
}

int FindLogonCountry(const std::string& code) {
    for (std::size_t i = 0; i < std::size(kCountries); ++i) {
        if (code == kCountries[i].code) return static_cast<int>(i);
    }
    return -1;
}

std::span<const char* const> LogonChoices(LogonChoiceList list) {
    switch (list) {
        case LogonChoiceList::Sex: return kSex;
        case LogonChoiceList::Age: return kAge;
        case LogonChoiceList::Education: return kEducation;
        case LogonChoiceList::Income: return kIncome;
        case LogonChoiceList::Processor: return kProcessor;
        case LogonChoiceList::Memory: return kMemory;
        case LogonChoiceList::Monitor: return kMonitor;
        case LogonChoiceList::ConnectionSpeed: return kConnectionSpeed;
        case LogonChoiceList::Occupation: return kOccupation;
    }
    return {};
}

const OneFieldMode* FindOneFieldMode(int mode) {
    for (const OneFieldMode& m : kModes) {
        if (m.mode == mode) return &m;
    }
    return nullptr;
}

bool ValidateTextField(std::string& text, std::size_t bufferSize, std::size_t minimum, std::size_t maximum,
                       bool spacesAllowed, const char* fieldName) {
    std::size_t lead = 0;
    const std::size_t leadLimit = bufferSize > 0 ? bufferSize - 1 : 0;
    while (lead < text.size() && lead < leadLimit && IsWhite(text[lead])) ++lead;
    text.erase(0, lead);
    while (!text.empty() && IsWhite(text.back())) text.pop_back();
    bool good = text.size() >= minimum && text.size() <= maximum;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 32 || u > 126 || (!spacesAllowed && IsWhite(c))) good = false;
    }
    if (good) return true;
    char message[512];
    if (minimum == 0) {
        std::snprintf(message, sizeof message, "%s\nThis field is optional,\nand may be no more than %d\ncharacters long.",
                      fieldName, static_cast<int>(maximum));
    } else {
        std::snprintf(message, sizeof message, "%s\nThis field is required,\nand must be %d - %d\ncharacters long.",
                      fieldName, static_cast<int>(minimum), static_cast<int>(maximum));
    }
    std::string full = message;
    full += spacesAllowed ? "\nNon standard characters are not allowed."
                          : "\nSpaces and non standard characters are not allowed.";
    const std::uint32_t style =
        platform::BoxStyle::TaskModal | platform::BoxStyle::TopMost | static_cast<std::uint32_t>(platform::BoxStyle::IconStop);
    platform::MessageBoxSink::Current().Beep(style);
    platform::MessageBoxSink::Current().Show("Registration", full, style);
    return false;
}

bool IsEmailAddress(const std::string& text) {
    const std::size_t at = text.find('@');
    const std::size_t dot = text.find('.');
    if (at == std::string::npos || dot == std::string::npos) return false;
    const std::size_t last = text.size() - 1;
    if (at == 0 || at == last || dot == 0 || dot == last) return false;
    return (at > dot ? at - dot : dot - at) > 1;
}
