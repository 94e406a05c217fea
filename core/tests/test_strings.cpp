// The string table, its formatter, and diagnostics put into words.
#include "res/Diagnostic.h"

#include "TestPlatform.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace pos;

namespace {

// The conversions of a format, in order ("%d", "% s" and "%s" as d, s, s).
std::string Conversions(std::string_view s)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < s.size(); ++i)
        if (s[i] == '%') {
            const std::size_t j = s[i + 1] == ' ' ? i + 2 : i + 1;
            out += s[j];
            i = j;
        }
    return out;
}

} // namespace

TEST(StringTable, EveryTextInBothLanguagesWithTheSameConversionsAndPieces)
{
    for (const int id :
         {1,     2,     3,     4,     5,     6,     7,     8,     9,     10,    11,    12,
          13,    14,    15,    16,    17,    18,    19,    20,    21,    22,    23,    25,
          28,    29,    30,    31,    32,    33,    34,    35,    36,    37,    38,    10012,
          10013, 10014, 10015, 10016, 10017, 10020, 10021, 10023, 10024, 10025, 10027, 10028,
          10031, 10032, 10033, 10034, 10039, 10040, 10042, 10043, 10044, 10045, 10046, 10047,
          10048, 10049, 10050, 10051, 10052, 10053, 10054})
        EXPECT_TRUE(HasText(id)) << id;
    for (int id = 0; id < 60000; ++id) {
        if (!HasText(id))
            continue;
        const std::string_view en = Text(id, Lang::En), zh = Text(id, Lang::Zh);
        EXPECT_FALSE(en.empty() || zh.empty()) << id;
        EXPECT_EQ(Conversions(en), Conversions(zh)) << id;
        EXPECT_EQ(std::count(en.begin(), en.end(), '|'), std::count(zh.begin(), zh.end(), '|'))
            << id;
    }
    EXPECT_FALSE(HasText(24));
    EXPECT_TRUE(Text(24, Lang::En).empty());
}

TEST(Format, Conversions)
{
    EXPECT_EQ(Format("MOV %d    D%d", {std::int64_t{-1}, std::int64_t{2002}}), "MOV -1    D2002");
    EXPECT_EQ(FormatId(sid::NameExists, {std::string("Main")}),
              "Subprogram \"Main\" exists in the current project. Please input again.");
    EXPECT_EQ(Format("100%% %s", {std::string("x")}), "100% x");
    EXPECT_EQ(Format("%d and %d", {std::int64_t{1}}), "1 and ") << "a missing argument is empty";
    EXPECT_EQ(Format("%s", {std::int64_t{7}}), "7");
    EXPECT_EQ(Format("%x%", {}), "%x%");
}

TEST(Language, FromLocaleEnvironmentAndProcess)
{
    EXPECT_EQ(LanguageFromLocale("zh_TW"), Lang::Zh);
    EXPECT_EQ(LanguageFromLocale("C"), Lang::En);
    test::SetEnv("LC_ALL", "zh_CN.UTF-8");
    EXPECT_EQ(LanguageFromEnvironment(), Lang::Zh);
    test::SetEnv("LC_ALL", "");
    test::SetEnv("LC_MESSAGES", "");
    test::SetEnv("LANG", "de_DE");
    EXPECT_EQ(LanguageFromEnvironment(), Lang::En);
    SetLanguage(Lang::Zh);
    EXPECT_EQ(Text(sid::Next), "下一步");
    SetLanguage(Lang::En);
}

TEST(Diagnostic, PlaceBeforeTheMessageInEachLanguage)
{
    Diagnostic d;
    d.id = sid::DxfNotNumber;
    d.line = 12;
    d.detail = "1,5";
    d.file = "a.dxf"; // the caller's to say
    EXPECT_EQ(Describe(d, Lang::En), "line 12: \"1,5\" is not a number");
    EXPECT_EQ(Describe(d, Lang::Zh), "第12行：“1,5”不是数值");
    EXPECT_EQ(MessageText(d, Lang::En), "\"1,5\" is not a number");

    Diagnostic range;
    range.id = sid::ExpectedRange;
    range.args = {std::int64_t{0}, std::int64_t{7}};
    range.path = "$.xDirPort";
    EXPECT_EQ(Describe(range, Lang::En), "$.xDirPort: expected an integer from 0 to 7");
    EXPECT_EQ(Describe(range, Lang::Zh), "$.xDirPort：应为0到7之间的整数");

    Diagnostic expected;
    expected.id = sid::Expected;
    expected.args = {TextId{sid::JsonArray}};
    expected.path = "$.segments";
    EXPECT_EQ(Describe(expected, Lang::Zh), "$.segments：应为数组");
}

TEST(Diagnostic, SegmentNumberOnItsOwnLineBeforeAMessageOfSeveral)
{
    Diagnostic one;
    one.id = sid::NoArc;
    one.segment = 2;
    EXPECT_EQ(Describe(one, Lang::En),
              "[Segment No:2] The input data cannot generate an arc. Please input again.");
    Diagnostic many;
    many.id = sid::ArcEndChoice;
    many.segment = 3;
    EXPECT_TRUE(Describe(many, Lang::En).starts_with("[Segment No:3]\nCenter("))
        << Describe(many, Lang::En);
}
