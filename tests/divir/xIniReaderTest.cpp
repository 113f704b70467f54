#include "divir/xIniReader.h"

#include <gtest/gtest.h>

#include "divir/xIni.h"
#include "support/TempFolder.h"

namespace {

TEST(xIniReaderTest, TypedReadsWithFallbackAndTheAbsenceMarker) {
    TempFolder dir;
    dir.Write("r.ini", "[Main]\nCount=12\nMarker=-666\nOff=0\nName=Ann\n[Base]\nCount=3\nOn=5\nName=Bob\n");
    const xIniReader reader(dir.Win("r.ini"));

    std::int32_t number = 1;
    EXPECT_TRUE(reader.GetInt(number, "Main", "Count"));
    EXPECT_EQ(number, 12);
    EXPECT_FALSE(reader.GetInt(number, "Main", "Absent"));
    EXPECT_EQ(number, kIniAbsent);
    EXPECT_FALSE(reader.GetInt(number, "Main", "Marker")) << "a stored -666 reads as absent";
    EXPECT_TRUE(reader.GetIntWithFallback(number, "Main", "Base", "Count"));
    EXPECT_EQ(number, 12);
    EXPECT_TRUE(reader.GetIntWithFallback(number, "Nowhere", "Base", "Count"));
    EXPECT_EQ(number, 3);

    std::int16_t flag = 7;
    EXPECT_FALSE(reader.GetBool(flag, "Main", "On"));
    EXPECT_EQ(flag, 7) << "left alone when absent";
    EXPECT_TRUE(reader.GetBoolWithFallback(flag, "Main", "Base", "On"));
    EXPECT_EQ(flag, 1);
    EXPECT_TRUE(reader.GetBool(flag, "Main", "Off"));
    EXPECT_EQ(flag, 0);

    char text[3];
    EXPECT_TRUE(reader.GetString(text, sizeof text, "Main", "Name"));
    EXPECT_STREQ(text, "An");
    EXPECT_FALSE(reader.GetString(text, sizeof text, "Main", "Absent"));
    EXPECT_STREQ(text, "");
    EXPECT_TRUE(reader.GetStringWithFallback(text, sizeof text, "Other", "Base", "Name"));
    EXPECT_STREQ(text, "Bo");

    const xIniReader copy = reader;
    EXPECT_EQ(copy.GetPath(), reader.GetPath());
    EXPECT_FALSE(xIniReader().GetInt(number, "Main", "Count")) << "no path, no value";
}

}  // namespace
