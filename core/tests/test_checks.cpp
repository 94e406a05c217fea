// The checks of the pages: the number rule, the name rules and the checks of
// a whole configuration.
#include "wizard/Checks.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace pos;
using pos::test::Arc;
using pos::test::Line;
using pos::test::WorkedExample;

namespace {

std::vector<int> Ids(const std::vector<Diagnostic> &problems)
{
    std::vector<int> ids;
    for (const Diagnostic &p : problems)
        ids.push_back(p.id);
    return ids;
}

int IdOf(const Status &status)
{
    return status ? 0 : status.error().id;
}

} // namespace

TEST(NumberRule, AcceptsOrNamesTheMessage)
{
    constexpr auto U = NumberField::Unsigned32;
    constexpr auto S = NumberField::Signed32;
    struct Case
    {
        const char *text;
        NumberField field;
        int id;
        std::int64_t value;
    };
    // clang-format off
    const Case cases[] = {
        {"", U, 10013, 0}, {"", S, 10013, 0}, {"12", U, 0, 12}, {"007", U, 0, 7},
        {"-5", S, 0, -5}, {"-5", U, 10015, 0}, {"--5", U, 10015, 0}, {"-", U, 10015, 0},
        {"5-", S, 10017, 0}, {"1-2", U, 10017, 0}, {"--5", S, 10017, 0},
        {"1.5", S, 10016, 0}, {"+5", S, 10016, 0}, {" 5", S, 10016, 0}, {"1e3", U, 10016, 0},
        {"-", S, 0, 0}, {"-0", S, 0, 0},
        // Widths: unsigned 32 bits for speeds and times, signed for coordinates.
        {"4294967295", U, 0, 4294967295}, {"4294967296", U, 10017, 0},
        {"2147483647", S, 0, 2147483647}, {"2147483648", S, 10017, 0},
        {"-2147483648", S, 0, -2147483648LL}, {"-2147483649", S, 10017, 0},
        {"99999999999999999999999", U, 10017, 0}, {"0000000000000000000000001", U, 0, 1},
    };
    // clang-format on
    for (const Case &c : cases) {
        const Result<std::int64_t> r = ValidateNumberField(c.text, c.field);
        EXPECT_EQ(r ? 0 : r.error().id, c.id) << '"' << c.text << '"';
        if (c.id == 0 && r) {
            EXPECT_EQ(*r, c.value) << '"' << c.text << '"';
        }
    }
}

TEST(SubprogramName, RulesInOrder)
{
    const std::vector<std::string> project = {"Main", "定位", "Zeta"};
    // clang-format off
    const std::pair<std::string, int> cases[] = {
        {"", sid::NameEmpty}, {"ABCDEFGHIJKLMNOPQRST", 0}, {"ABCDEFGHIJKLMNOPQRSTU", sid::TooLong},
        {"定位子程序定位子程序定位子程序定位子程序", 0}, // twenty characters, sixty bytes
        {"1st-run_9", 0}, {"MAIN", sid::NameExists}, {"定位", sid::NameExists}, {"Main2", 0},
        {"zeta", sid::NameExists}, // every Latin letter folds, z included
    };
    // clang-format on
    for (const auto &[name, id] : cases)
        EXPECT_EQ(IdOf(CheckNewSubprogramName(name, project)), id) << name;
    // Control characters (C0, DEL, C1), blanks (no-break, ideographic) and
    // bytes that are not UTF-8 too: the
    // same rule holds for names from files, where anything can stand.
    for (const std::string bad : {"a b",
                                  "a.b",
                                  "a,b",
                                  "a/b",
                                  "a\\b",
                                  "a*",
                                  "a|b",
                                  "a:b",
                                  "a\"b",
                                  "<a",
                                  "a>",
                                  "a?",
                                  "a\nb",
                                  "a\tb",
                                  "a\x7F",
                                  "a\xC2\x85",
                                  "a\xFF",
                                  "a\xC3",
                                  "a\xC0\xAF",
                                  "a\xED\xA0\x80",
                                  "a\xF4\x90\x80\x80",
                                  "\xE5\xAE\x9A\xE4\xBD",
                                  "\xC2\xA0",
                                  "a\xE3\x80\x80"}) {
        EXPECT_EQ(IdOf(CheckNewSubprogramName(bad, project)), sid::NameIllegal) << bad;
        EXPECT_EQ(CheckSubprogramNameRule(bad).error().id, sid::NameIllegal) << bad;
    }
    EXPECT_EQ(IdOf(CheckNewSubprogramName(std::string("a\0b", 3), project)), sid::NameIllegal);
    EXPECT_EQ(IdOf(CheckNewSubprogramName("a\xC2\xA9\xF0\x9F\x98\x80", project)), 0); // ©, emoji
}

TEST(ConfigurationChecks, StartAddressBounds)
{
    PosConfig c = WorkedExample();
    c.minD = 100;
    c.maxD = 9999;
    for (const auto &[start, ok] :
         {std::pair{100u, true}, {99u, false}, {9999u, true}, {10000u, false}}) {
        c.startD = start;
        EXPECT_EQ(CheckStartAddress(c).ok(), ok) << start;
    }
    EXPECT_EQ(Describe(CheckStartAddress(c).error(), Lang::Zh),
              "D元件起始地址只能在[ 100 -- 9999 ]之间取值");
}

TEST(ConfigurationChecks, CapacityNamesDBeforeM)
{
    PosConfig c = WorkedExample(); // 12 + 16 words from D2000
    c.maxD = 2028;
    EXPECT_TRUE(CheckAddressCapacity(c, 0));
    c.maxD = 2027;
    const Status d = CheckAddressCapacity(c, 0);
    ASSERT_FALSE(d);
    EXPECT_EQ(Describe(d.error(), Lang::En),
              "D element address number reached max address number [2027]. Please input the "
              "starting address again.");
    EXPECT_TRUE(CheckAddressCapacity(c, 1)) << "only segment 1 counted";

    c.maxD = 9999;
    c.startM = 10;
    c.maxM = 11;
    EXPECT_TRUE(CheckAddressCapacity(c, 0));
    c.maxM = 10;
    const Status m = CheckAddressCapacity(c, 0);
    ASSERT_FALSE(m);
    EXPECT_TRUE(Describe(m.error(), Lang::En).starts_with("M "));

    c.segments.clear(); // no segment needs no M element
    c.startM = 50;
    EXPECT_TRUE(CheckAddressCapacity(c, 0));
    c = WorkedExample(); // no wrap at 32 bits
    c.startD = 0xFFFFFFF0u;
    c.maxD = 0xFFFFFFFFu;
    EXPECT_FALSE(CheckAddressCapacity(c, 0));
}

TEST(ConfigurationChecks, AtMost256Segments)
{
    PosConfig c = WorkedExample();
    c.segments.clear();
    c.maxD = 100000;
    for (std::uint32_t i = 1; i <= 256; ++i)
        c.segments[i] = Line(static_cast<std::int32_t>(i), 0);
    EXPECT_TRUE(CheckConfiguration(c, {}).empty());
    c.segments[257] = Line(0, 0);
    EXPECT_EQ(Ids(CheckConfiguration(c, {})), std::vector<int>{sid::MaxStep});
}

TEST(ConfigurationChecks, ArcsBeginWhereTheActionModeSays)
{
    // Absolute: segment 2 begins at the end of segment 1, on its circle.
    PosConfig c = WorkedExample();
    EXPECT_TRUE(CheckConfiguration(c, {}).empty());
    // Incremental: it begins at (0, 0), on no circle about (20000, 10000)
    // through (30000, 10000).
    c.actionMode = 0;
    auto problems = CheckConfiguration(c, {});
    ASSERT_EQ(Ids(problems), std::vector<int>{sid::ArcEndChoice});
    EXPECT_EQ(problems[0].segment, 2u);
    EXPECT_TRUE(Describe(problems[0], Lang::En)
                    .starts_with("[Segment No:2]\nCenter(20000, 10000)  Beginning(0, 0)"));

    // The first segment is never checked; a begin point on the centre forms no arc.
    c.actionMode = 1;
    c.segments[1] = Arc(kTypeCcw, 5, 5, 1, 1);
    c.segments[2] = Arc(kTypeCw, 10, 10, 5, 5);
    problems = CheckConfiguration(c, {});
    ASSERT_EQ(Ids(problems), std::vector<int>{sid::NoArc});
    EXPECT_EQ(problems[0].segment, 2u);

    // A pass-through arc is checked as such.
    c = WorkedExample();
    c.segments[2] = Arc(kTypeCcw, 20000, 20000, 30000, 10000, kPassPoint);
    EXPECT_TRUE(CheckConfiguration(c, {}).empty());
    c.segments[2] = Arc(kTypeCcw, 40000, 0, 30000, 0, kPassPoint);
    EXPECT_EQ(Ids(CheckConfiguration(c, {})), std::vector<int>{sid::NoArc});
}

TEST(ConfigurationChecks, ListsEveryProblemInOrder)
{
    PosConfig c = WorkedExample();
    c.startD = 1;
    c.minD = 100;
    c.maxD = 20;
    c.actionMode = 0;
    c.subprogramName = "main";
    EXPECT_EQ(
        Ids(CheckConfiguration(c, {"Main"})),
        (std::vector<int>{sid::StartRange, sid::Capacity, sid::ArcEndChoice, sid::NameExists}));
}
