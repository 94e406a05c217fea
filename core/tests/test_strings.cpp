#include "res/StringTable.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace pos;

TEST(StringTable, BothLanguagesForEveryIdentifier)
{
    for (int id :
         {1,     2,     3,     4,     5,     6,     7,     8,     9,     10,    11,    12,
          13,    14,    15,    16,    17,    18,    19,    20,    21,    22,    23,    25,
          28,    29,    30,    31,    32,    33,    34,    35,    36,    37,    38,    10012,
          10013, 10014, 10015, 10016, 10017, 10020, 10021, 10023, 10024, 10025, 10027, 10028,
          10031, 10032, 10033, 10034, 10039, 10040, 10042, 10043, 10044, 10045, 10046, 10047,
          10048, 10049, 10050, 10051, 10052, 10053, 10054}) {
        EXPECT_FALSE(Text(id, Lang::En).empty()) << id;
        EXPECT_FALSE(Text(id, Lang::Zh).empty()) << id;
    }
    EXPECT_FALSE(HasText(24));
    EXPECT_TRUE(Text(24, Lang::En).empty());
}

TEST(StringTable, ListsCutIntoTheSameNumberOfPieces)
{
    for (int id : {1, 10040, 36, 10042, 23, 25}) {
        const auto en = Text(id, Lang::En);
        const auto zh = Text(id, Lang::Zh);
        EXPECT_EQ(std::count(en.begin(), en.end(), '|'), std::count(zh.begin(), zh.end(), '|'))
            << id;
    }
}

TEST(StringTable, ConversionsMatchAcrossLanguages)
{
    // A format must take the same arguments in both languages.
    for (int id = 0; id < 60000; ++id) {
        if (!HasText(id))
            continue;
        const std::string en(Text(id, Lang::En)), zh(Text(id, Lang::Zh));
        const auto conversions = [](const std::string &s) {
            std::string out;
            for (std::size_t i = 0; i + 1 < s.size(); ++i)
                if (s[i] == '%') {
                    std::size_t j = i + 1;
                    if (s[j] == ' ')
                        ++j;
                    out += s[j];
                }
            return out;
        };
        EXPECT_EQ(conversions(en), conversions(zh)) << id;
    }
}

TEST(Format, Conversions)
{
    EXPECT_EQ(Format("MOV %d    D%d", {std::int64_t{-1}, std::int64_t{2002}}), "MOV -1    D2002");
    EXPECT_EQ(FormatId(sid::NameExists, {std::string("Main")}),
              "Subprogram \"Main\" exists in the current project. Please input again.");
    EXPECT_EQ(Format("100%% %s", {std::string("x")}), "100% x");
    EXPECT_EQ(Format("%d and %d", {std::int64_t{1}}), "1 and ")
        << "missing argument prints nothing";
    EXPECT_EQ(Format("%s", {std::int64_t{7}}), "7");
    EXPECT_EQ(Format("%x%", {}), "%x%");
    EXPECT_EQ(Format("%d", {std::int64_t{4294967295}}), "4294967295");
}

TEST(Language, FromLocaleAndEnvironment)
{
    EXPECT_EQ(LanguageFromLocale("zh_CN.UTF-8"), Lang::Zh);
    EXPECT_EQ(LanguageFromLocale("zh_TW"), Lang::Zh);
    EXPECT_EQ(LanguageFromLocale("en_US.UTF-8"), Lang::En);
    EXPECT_EQ(LanguageFromLocale(""), Lang::En);
    EXPECT_EQ(LanguageFromLocale("C"), Lang::En);

    setenv("LC_ALL", "zh_CN.UTF-8", 1);
    EXPECT_EQ(LanguageFromEnvironment(), Lang::Zh);
    setenv("LC_ALL", "", 1);
    setenv("LC_MESSAGES", "", 1);
    setenv("LANG", "de_DE", 1);
    EXPECT_EQ(LanguageFromEnvironment(), Lang::En);

    SetLanguage(Lang::Zh);
    EXPECT_EQ(Text(sid::Next), "下一步");
    SetLanguage(Lang::En);
    EXPECT_EQ(Text(sid::Next), "Next");
}
