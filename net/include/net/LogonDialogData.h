#pragma once

// What the logon and registration dialogs show and check, apart from drawing: the
// country and choice lists, the one-field dialog's modes, and the field checks.

#include <cstddef>
#include <span>
#include <string>

struct CountryRow {
    const char* name;  // Windows-1252
    const char* code;  // two letters; "??" for "Other"
};

// 240 rows in alphabetical order of the names, "Other" last.
std::span<const CountryRow> LogonCountries();
// The row of the code, or -1.
int FindLogonCountry(const std::string& code);

enum class LogonChoiceList { Sex, Age, Education, Income, Processor, Memory, Monitor, ConnectionSpeed, Occupation };
// The list's entries, "Select" first.
std::span<const char* const> LogonChoices(LogonChoiceList list);

struct OneFieldMode {
    int mode;
    const char* title;
    int limit;
    const char* lines[3];
};
// The one-field dialog's texts for modes 4, 8, 11 and 12; null for any other mode.
const OneFieldMode* FindOneFieldMode(int mode);

// Trims the text in place (leading white space, at most bufferSize - 1 characters
// of it, then trailing) and checks it: printable 32 to 126 only, no white space
// unless spaces are allowed, length within minimum to maximum. A failure shows the
// field's message titled "Registration" and answers false.
bool ValidateTextField(std::string& text, std::size_t bufferSize, std::size_t minimum, std::size_t maximum,
                       bool spacesAllowed, const char* fieldName);
// "@" and "." present, the first of each neither first nor last, and more than one
// position apart.
bool IsEmailAddress(const std::string& text);

// The texts the registration pages show on a failed check.
inline constexpr const char* kPasswordsDiffer =
    "The Password and Verify Password fields do not match.\nPlease retype both fields and try again.";
inline constexpr const char* kNotAnEmailAddress =
    "Your EMail Address is not of the form <text>@<text>.<text>.\nPlease try again.";
inline constexpr const char* kSexRequired = "Sex is a required field.\nPlease choose an option from the list.";
inline constexpr const char* kAgeRequired = "Age is a required field.\nPlease choose an option from the list.";
