#include "net/RoomMsgStream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

const std::string kQ(1, '\x02');

std::vector<std::string> Tokens(const std::string& text) {
    RoomMsgTokenizer tokenizer;
    tokenizer.Tokenize(text);
    std::vector<std::string> tokens;
    for (std::size_t i = 0; i < tokenizer.GetCount(); ++i) tokens.emplace_back(tokenizer.GetToken(i));
    return tokens;
}

struct TokenCase {
    const char* name;
    std::string text;
    std::vector<std::string> tokens;
};

TEST(RoomMsgTokenizerTest, SplitsTable) {
    const TokenCase cases[] = {
        {"plain", "PUC hello Bob ", {"PUC", "hello", "Bob"}},
        {"runs of spaces", "  a   b  ", {"a", "b"}},
        {"no final space", "a b", {"a", "b"}},
        {"empty quoted", "x " + kQ + kQ + " y ", {"x", "", "y"}},
        {"quoted two words", kQ + "two words" + kQ + " z", {"two words", "z"}},
        {"quoted then letter", kQ + "two words" + kQ + "z", {"two words", "z"}},
        {"doubled 2 in quotes", kQ + "a" + kQ + kQ + "b" + kQ + " ", {"a" + kQ + "b"}},
        {"unclosed quote runs to end", kQ + "open text", {"open text"}},
        {"closing 2 last byte", kQ + "x y" + kQ, {"x y"}},
        {"tab is ordinary", "a\tb c", {"a\tb", "c"}},
        {"stops at zero byte", std::string("a b\0c d", 7), {"a", "b"}},
        {"2 inside plain token", "a" + kQ + "b ", {"a" + kQ + "b"}},
        {"empty text", "", {}},
        {"only spaces", "    ", {}},
    };
    for (const TokenCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Tokens(c.text), c.tokens);
    }
}

TEST(RoomMsgTokenizerTest, HoldsAtMost512BytesAnd256Tokens) {
    std::string many;
    for (int i = 0; i < 300; ++i) many += "a ";
    RoomMsgTokenizer tokenizer;
    tokenizer.Tokenize(many);
    EXPECT_EQ(tokenizer.GetCount(), 256);
    EXPECT_EQ(tokenizer.GetToken(255), "a");
    EXPECT_EQ(tokenizer.GetToken(256), "");
    EXPECT_EQ(tokenizer.GetToken(60000), "");

    const std::string long600(600, 'x');
    tokenizer.Tokenize(long600);
    ASSERT_EQ(tokenizer.GetCount(), 1);
    EXPECT_EQ(tokenizer.GetToken(0).size(), 512u);
}

TEST(RoomMsgStreamTest, QuotesStrings) {
    EXPECT_EQ(QuoteRoomMsgString("word"), "word");
    EXPECT_EQ(QuoteRoomMsgString(""), kQ + kQ);
    EXPECT_EQ(QuoteRoomMsgString("two words"), kQ + "two words" + kQ);
    EXPECT_EQ(QuoteRoomMsgString("a" + kQ + "b"), kQ +
                                                      "a\x04"
                                                      "b" +
                                                      kQ);
    EXPECT_EQ(QuoteRoomMsgString("\x01\xE9\t"), "\x01\xE9\t");
}

TEST(RoomMsgStreamTest, WritesEachValueWithOneSpace) {
    RoomMsgStream stream;
    stream.WriteInt(-5)
        .WriteUInt(4294967295u)
        .WriteULong(7)
        .WriteShort(-32768)
        .WriteBool(true)
        .WriteBool(false);
    stream.WriteChar('x').WriteChar(' ').WriteString("").WriteString("a b");
    EXPECT_EQ(stream.GetText(),
              "-5 4294967295 7 -32768 1 -1 x " + kQ + " " + kQ + " " + kQ + kQ + " " + kQ + "a b" + kQ + " ");
    EXPECT_EQ(stream.GetIndex(), -1);
}

TEST(RoomMsgStreamTest, ReadsBackWhatItWrites) {
    RoomMsgStream out;
    out.WriteInt(-123).WriteUInt(4000000000u).WriteShort(-7).WriteBool(false).WriteChar(' ').WriteChar('q');
    out.WriteString("").WriteString("two words").WriteString("a" + kQ + "b");
    RoomMsgStream in(out.GetText());
    std::int32_t i = 0;
    std::uint32_t u = 0;
    std::int16_t h = 0;
    bool b = true;
    char c1 = 0;
    char c2 = 0;
    std::string s1 = "x";
    std::string s2;
    std::string s3;
    in.ReadInt(i)
        .ReadUInt(u)
        .ReadShort(h)
        .ReadBool(b)
        .ReadChar(c1)
        .ReadChar(c2)
        .ReadString(s1)
        .ReadString(s2)
        .ReadString(s3);
    EXPECT_EQ(i, -123);
    EXPECT_EQ(u, 4000000000u);
    EXPECT_EQ(h, -7);
    EXPECT_FALSE(b);
    EXPECT_EQ(c1, ' ');
    EXPECT_EQ(c2, 'q');
    EXPECT_EQ(s1, "");
    EXPECT_EQ(s2, "two words");
    EXPECT_EQ(s3,
              "a\x04"
              "b");  // byte 2 comes back as byte 4
}

struct NumberCase {
    const char* token;
    bool intOk;
    std::int32_t intValue;
    bool uintOk;
    std::uint32_t uintValue;
    bool shortOk;
    std::int16_t shortValue;
};

TEST(RoomMsgStreamTest, NumberFormsTable) {
    const NumberCase cases[] = {
        {"0x10", true, 16, true, 0, true, 0},
        {"010", true, 8, true, 10, true, 10},
        {"-1", true, -1, true, 4294967295u, true, -1},
        {"+42", true, 42, true, 42, true, 42},
        {"-0x10", true, -16, true, 0, true, 0},
        {"12abc", true, 12, true, 12, true, 12},
        {"08", true, 0, true, 8, true, 8},
        {"0x", true, 0, true, 0, true, 0},
        {"2147483647", true, 2147483647, true, 2147483647u, false, 0},
        {"-2147483648", true, -2147483647 - 1, true, 2147483648u, false, 0},
        {"2147483648", false, 0, true, 2147483648u, false, 0},
        {"4294967295", false, 0, true, 4294967295u, false, 0},
        {"4294967296", false, 0, false, 0, false, 0},
        {"99999999999999999999", false, 0, false, 0, false, 0},
        {"32767", true, 32767, true, 32767, true, 32767},
        {"-32768", true, -32768, true, 4294934528u, true, -32768},
        {"32768", true, 32768, true, 32768, false, 0},
        {"abc", false, 0, false, 0, false, 0},
        {"-", false, 0, false, 0, false, 0},
        {"0xFFFFFFFF", false, 0, true, 0, true, 0},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.token);
        std::int32_t i = 0;
        std::uint32_t u = 0;
        std::int16_t h = 0;
        EXPECT_EQ(ParseRoomMsgInt(c.token, i), c.intOk);
        if (c.intOk) {
            EXPECT_EQ(i, c.intValue);
        }
        EXPECT_EQ(ParseRoomMsgUInt(c.token, u), c.uintOk);
        if (c.uintOk) {
            EXPECT_EQ(u, c.uintValue);
        }
        EXPECT_EQ(ParseRoomMsgShort(c.token, h), c.shortOk);
        if (c.shortOk) {
            EXPECT_EQ(h, c.shortValue);
        }

        RoomMsgStream stream(std::string(c.token) + " ");
        if (c.intOk) {
            EXPECT_NO_THROW(stream.ReadInt(i));
        } else {
            EXPECT_THROW(stream.ReadInt(i), InvalidRoomMsg);
        }
    }
}

TEST(RoomMsgStreamTest, FailingReadsTable) {
    struct Case {
        const char* name;
        std::string text;
        void (*read)(RoomMsgStream&);
    };
    const Case cases[] = {
        {"int from nothing", "",
         [](RoomMsgStream& s) {
             std::int32_t v;
             s.ReadInt(v);
         }},
        {"uint from word", "abc",
         [](RoomMsgStream& s) {
             std::uint32_t v;
             s.ReadUInt(v);
         }},
        {"short from nothing", "",
         [](RoomMsgStream& s) {
             std::int16_t v;
             s.ReadShort(v);
         }},
        {"bool 0", "0",
         [](RoomMsgStream& s) {
             bool v;
             s.ReadBool(v);
         }},
        {"bool 2", "2",
         [](RoomMsgStream& s) {
             bool v;
             s.ReadBool(v);
         }},
        {"bool word", "true",
         [](RoomMsgStream& s) {
             bool v;
             s.ReadBool(v);
         }},
        {"char from nothing", "",
         [](RoomMsgStream& s) {
             char v;
             s.ReadChar(v);
         }},
        {"string from nothing", "",
         [](RoomMsgStream& s) {
             std::string v;
             s.ReadString(v);
         }},
        {"tag with one letter more", "PLEX ", [](RoomMsgStream& s) { s.ExpectTag("PLE"); }},
        {"tag in wrong case", "puc ", [](RoomMsgStream& s) { s.ExpectTag("PUC"); }},
        {"tag from nothing", "", [](RoomMsgStream& s) { s.ExpectTag("PUC"); }},
        {"writing stream", "",
         [](RoomMsgStream&) {
             RoomMsgStream w;
             std::string v;
             w.ReadString(v);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RoomMsgStream stream(c.text);
        EXPECT_THROW(c.read(stream), InvalidRoomMsg);
    }
}

TEST(RoomMsgStreamTest, StepBackAndReadsPastTheEnd) {
    RoomMsgStream stream("PUC ");
    stream.StepBack();
    EXPECT_EQ(stream.GetIndex(), 0);
    EXPECT_NO_THROW(stream.ExpectTag("PUC"));
    EXPECT_EQ(stream.GetIndex(), 1);
    stream.StepBack();
    EXPECT_EQ(stream.GetIndex(), 0);
    std::string tag;
    stream.ReadString(tag);
    EXPECT_EQ(tag, "PUC");
    EXPECT_THROW(stream.ReadString(tag), InvalidRoomMsg);
    EXPECT_THROW(stream.ReadString(tag), InvalidRoomMsg);

    RoomMsgStream writer;
    writer.StepBack();
    EXPECT_EQ(writer.GetIndex(), -1);
}

TEST(RoomMsgStreamTest, SeesOnlyThe512FirstBytes) {
    std::string text;
    for (int i = 0; i < 150; ++i) text += "abc ";  // 600 bytes
    RoomMsgStream stream(text);
    std::string token;
    int count = 0;
    try {
        for (;;) {
            stream.ReadString(token);
            ++count;
        }
    } catch (const InvalidRoomMsg&) {
    }
    EXPECT_EQ(count, 128);
}

TEST(RoomMsgStreamTest, AppendGivesTheSameTextAsWritingInLine) {
    RoomMsgStream inner;
    inner.WriteString("P").WriteString("Ann Lee");
    RoomMsgStream outer;
    outer.WriteString("PJ").Append(inner);
    RoomMsgStream inLine;
    inLine.WriteString("PJ").WriteString("P").WriteString("Ann Lee");
    EXPECT_EQ(outer.GetText(), inLine.GetText());
}

TEST(RoomMsgStreamTest, RecordsRoundTrip) {
    const std::vector<AdInfo> ads = {AdInfo("ad one", "", 1500), AdInfo("two", "x", -3),
                                     AdInfo("three", "y z", 7)};
    const std::vector<FatChanceEntry> entries = {{5, true}, {-2, false}};
    PictureInfo picture{"pic.jpg", "a caption", 4000000000u, -9, "", 12};
    RoomMsgStream out;
    WriteVersionField(out, Version(1, 2, 3, 4));
    WriteAdField(out, ads[0]);
    WriteAdListField(out, ads);
    WriteAdListField(out, {});
    WriteFatChanceEntry(out, entries[0]);
    WriteFatChanceEntryList(out, entries);
    WritePictureInfo(out, picture);

    RoomMsgStream in(out.GetText());
    Version version;
    AdInfo ad;
    std::vector<AdInfo> adList = {AdInfo("stale", "", 1)};
    std::vector<AdInfo> emptyList = {AdInfo("stale", "", 1)};
    FatChanceEntry entry;
    std::vector<FatChanceEntry> entryList;
    PictureInfo pictureBack;
    ReadVersionField(in, version);
    ReadAdField(in, ad);
    ReadAdListField(in, adList);
    ReadAdListField(in, emptyList);
    ReadFatChanceEntry(in, entry);
    ReadFatChanceEntryList(in, entryList);
    ReadPictureInfo(in, pictureBack);
    EXPECT_EQ(version, Version(1, 2, 3, 4));
    EXPECT_EQ(ad, ads[0]);
    EXPECT_EQ(adList, ads);
    EXPECT_TRUE(emptyList.empty());
    EXPECT_EQ(entry, entries[0]);
    EXPECT_EQ(entryList, entries);
    EXPECT_EQ(pictureBack, picture);
    EXPECT_EQ(SumAdListInts(ads), 1504);

    EXPECT_EQ(out.GetText().substr(0, 18), "Version 1 2 3 4 Ad");
}

TEST(RoomMsgStreamTest, ListCountsBoundTheLoopOnly) {
    // A huge count with two records: the third read fails, nothing is reserved.
    RoomMsgStream in("AL 2147483647 Ad a b 1 Ad c d 2 ");
    std::vector<AdInfo> ads;
    EXPECT_THROW(ReadAdListField(in, ads), InvalidRoomMsg);
    EXPECT_EQ(ads.size(), 2u);

    RoomMsgStream negative("BL -5 B 1 1 ");
    std::vector<FatChanceEntry> entries = {{1, true}};
    EXPECT_NO_THROW(ReadFatChanceEntryList(negative, entries));
    EXPECT_TRUE(entries.empty());
}

struct VersionCase {
    std::int32_t parts[4];
    bool none;
};

TEST(RoomMsgStreamTest, VersionRecordKeepsTheValidityRule) {
    const VersionCase cases[] = {
        {{1, 2, 3, 4}, false}, {{1, 2, 3, -1}, false}, {{1, 2, 3, -2}, false}, {{-1, -1, -1, -1}, true},
        {{1, -1, 3, 4}, true}, {{1, 2, 3, -3}, true},  {{-2, 2, 3, 4}, true},
    };
    for (const VersionCase& c : cases) {
        SCOPED_TRACE(c.parts[0] * 1000 + c.parts[3]);
        RoomMsgStream in("Version " + std::to_string(c.parts[0]) + " " + std::to_string(c.parts[1]) + " " +
                         std::to_string(c.parts[2]) + " " + std::to_string(c.parts[3]) + " ");
        Version version(7, 7, 7, 7);
        ReadVersionField(in, version);
        EXPECT_EQ(version.IsNone(), c.none);
    }
    EXPECT_TRUE(Version(1, 2, 3, -2).EqualTo(Version(1, 2, 3, 9)));
    EXPECT_FALSE(Version(1, 2, 3, 4).EqualTo(Version(1, 2, 3, 5)));
}

}  // namespace
