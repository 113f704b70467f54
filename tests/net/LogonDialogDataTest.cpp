#include "net/LogonDialogData.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "platform/RecordingMessageBoxSink.h"

namespace {

// Compares names as a reader would order them: letters without their accents, case-blind.
std::string SortKey(const char* name) {
    std::string key;
    for (const char* p = name; *p != '\0'; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c == 0xF4) key += 'o';       // ô
        else if (c == 0xE9) key += 'e';  // é
        else key += static_cast<char>(std::tolower(c));
    }
    return key;
}

TEST(LogonDialogDataTest, CountriesInTheirOrderWithTheirCodes) {
    const auto rows = LogonCountries();
    ASSERT_EQ(rows.size(), 240u);
    EXPECT_STREQ(rows.front().name, "Afghanistan");
    EXPECT_STREQ(rows.front().code, "AF");
    EXPECT_STREQ(rows[rows.size() - 2].name, "Zimbabwe");
    EXPECT_STREQ(rows.back().name, "Other");
    EXPECT_STREQ(rows.back().code, "??");
    for (std::size_t i = 1; i + 1 < rows.size(); ++i) {
        EXPECT_LT(SortKey(rows[i - 1].name), SortKey(rows[i].name)) << i;
    }
    EXPECT_STREQ(rows[static_cast<std::size_t>(FindLogonCountry("US"))].name, "United States");
    EXPECT_STREQ(rows[static_cast<std::size_t>(FindLogonCountry("SZ"))].name, "Swaziland");
    EXPECT_EQ(FindLogonCountry("XX"), -1);
}

TEST(LogonDialogDataTest, ChoiceListsAndModes) {
    struct Case {
        LogonChoiceList list;
        std::size_t size;
        const char* last;
    };
    const Case cases[] = {
        {LogonChoiceList::Sex, 3, "Female"},
        {LogonChoiceList::Age, 9, "Over 64"},
        {LogonChoiceList::Education, 6, "Post Graduate"},
        {LogonChoiceList::Income, 7, "$60,000 or over"},
        {LogonChoiceList::Processor, 6, "Other"},
        {LogonChoiceList::Memory, 6, "More than 32 Megs"},
        {LogonChoiceList::Monitor, 5, "Laptop"},
        {LogonChoiceList::ConnectionSpeed, 6, "Other"},
        {LogonChoiceList::Occupation, 34, "Other"},
    };
    for (const Case& c : cases) {
        const auto entries = LogonChoices(c.list);
        ASSERT_EQ(entries.size(), c.size);
        EXPECT_STREQ(entries.front(), "Select");
        EXPECT_STREQ(entries.back(), c.last);
    }
    EXPECT_EQ(FindOneFieldMode(11)->limit, 60);
    EXPECT_STREQ(FindOneFieldMode(12)->lines[2], "Please enter a new User Name.");
    EXPECT_STREQ(FindOneFieldMode(4)->title, "User Name");
    EXPECT_EQ(FindOneFieldMode(5), nullptr);
    EXPECT_EQ(FindOneFieldMode(-1), nullptr);
}

TEST(LogonDialogDataTest, ValidatesTextFields) {
    struct Case {
        std::string text;
        std::size_t minimum;
        std::size_t maximum;
        bool spaces;
        bool good;
        std::string trimmed;
        const char* message;  // null when good
    };
    const Case cases[] = {
        {"  bob smith \t", 3, 12, true, true, "bob smith", nullptr},
        {"bo", 3, 12, true, false, "bo",
         "User Name\nThis field is required,\nand must be 3 - 12\ncharacters long.\nNon standard characters are not "
         "allowed."},
        {"bob\xE9", 3, 12, true, false, "bob\xE9",
         "User Name\nThis field is required,\nand must be 3 - 12\ncharacters long.\nNon standard characters are not "
         "allowed."},
        {"a b@c.d", 5, 60, false, false, "a b@c.d",
         "User Name\nThis field is required,\nand must be 5 - 60\ncharacters long.\nSpaces and non standard "
         "characters are not allowed."},
        {"", 0, 40, true, true, "", nullptr},
        {std::string(41, 'x'), 0, 40, true, false, std::string(41, 'x'),
         "User Name\nThis field is optional,\nand may be no more than 40\ncharacters long.\nNon standard characters "
         "are not allowed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        platform::RecordingMessageBoxSink sink;
        std::string text = c.text;
        EXPECT_EQ(ValidateTextField(text, 256, c.minimum, c.maximum, c.spaces, "User Name"), c.good);
        EXPECT_EQ(text, c.trimmed);
        if (c.message == nullptr) {
            EXPECT_TRUE(sink.boxes.empty());
        } else {
            ASSERT_EQ(sink.boxes.size(), 1u);
            EXPECT_EQ(sink.boxes[0].title, "Registration");
            EXPECT_EQ(sink.boxes[0].text, c.message);
        }
    }
    // Leading white space is removed up to the buffer's size less one.
    platform::RecordingMessageBoxSink sink;
    std::string text = "     abc";
    EXPECT_TRUE(ValidateTextField(text, 3, 0, 10, true, "City"));
    EXPECT_EQ(text, "   abc");
}

TEST(LogonDialogDataTest, TellsEmailAddresses) {
    const struct {
        const char* text;
        bool good;
    } cases[] = {
        {"a@b.c", true}, {"a@.bc", false}, {"@ab.c", false}, {"ab.c@", false}, {"a.b@c", true},
        {"abc", false},  {"a@bc", false},  {".a@bc", false}, {"a.@bc", false}, {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsEmailAddress(c.text), c.good) << c.text;
    }
}

}  // namespace
