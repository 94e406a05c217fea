#include "wizard/Checks.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace pos;
using pos::test::Arc;
using pos::test::Line;
using pos::test::WorkedExample;

namespace {

struct NumberCase
{
    const char *text;
    NumberField field;
    int messageId;
    std::int64_t value;
};

class NumberRule : public ::testing::TestWithParam<NumberCase>
{};

constexpr auto U = NumberField::Unsigned32;
constexpr auto S = NumberField::Signed32;

std::vector<int> Ids(const std::vector<Problem> &problems)
{
    std::vector<int> ids;
    for (const Problem &p : problems)
        ids.push_back(p.messageId);
    return ids;
}

} // namespace

TEST_P(NumberRule, AcceptsOrNamesTheMessage)
{
    const NumberCase &c = GetParam();
    const NumberCheck check = ValidateNumberField(c.text, c.field);
    EXPECT_EQ(check.messageId, c.messageId) << '"' << c.text << '"';
    if (c.messageId == 0) {
        EXPECT_EQ(check.value, c.value) << '"' << c.text << '"';
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, NumberRule,
    ::testing::Values(
        NumberCase{"", U, 10013, 0}, NumberCase{"", S, 10013, 0}, NumberCase{"12", U, 0, 12},
        NumberCase{"007", U, 0, 7}, NumberCase{"-5", S, 0, -5}, NumberCase{"-5", U, 10015, 0},
        NumberCase{"5-", S, 10017, 0}, NumberCase{"1-2", U, 10017, 0},
        NumberCase{"1.5", S, 10016, 0}, NumberCase{"+5", S, 10016, 0},
        NumberCase{" 5", S, 10016, 0}, NumberCase{"1e3", U, 10016, 0}, NumberCase{"-", S, 0, 0},
        NumberCase{"-0", S, 0, 0}, NumberCase{"--5", S, 10017, 0}, NumberCase{"-", U, 10015, 0},
        // Widths: unsigned 32 bits for speeds and times, signed for coordinates.
        NumberCase{"4294967295", U, 0, 4294967295}, NumberCase{"4294967296", U, 10017, 0},
        NumberCase{"2147483647", S, 0, 2147483647}, NumberCase{"2147483648", S, 10017, 0},
        NumberCase{"-2147483648", S, 0, -2147483648LL}, NumberCase{"-2147483649", S, 10017, 0},
        NumberCase{"99999999999999999999999", U, 10017, 0},
        NumberCase{"0000000000000000000000001", U, 0, 1}));

TEST(SubprogramName, CharacterRules)
{
    for (const char *bad :
         {"a b", "a.b", "a,b", "a/b", "a\\b", "a*", "a|b", "a:b", "a\"b", "<a", "a>", "a?"})
        EXPECT_FALSE(CheckSubprogramName(bad)) << bad;
    for (const char *good : {"POS_EXE", "1st-run", "_", "", "定位子程序", "a-b_c9"})
        EXPECT_TRUE(CheckSubprogramName(good)) << good;
}

TEST(SubprogramName, ExistsIgnoringCase)
{
    const std::vector<std::string> names = {"Main", "定位"};
    EXPECT_TRUE(NameExistsInProject("MAIN", names));
    EXPECT_TRUE(NameExistsInProject("main", names));
    EXPECT_TRUE(NameExistsInProject("定位", names));
    EXPECT_FALSE(NameExistsInProject("Main2", names));
    EXPECT_FALSE(NameExistsInProject("Main", {}));
    EXPECT_EQ(CharacterCount("定位子程序"), 5u);
}

TEST(ConfigurationChecks, WorkedExamplePasses)
{
    EXPECT_TRUE(CheckConfiguration(WorkedExample(), {}, Lang::En).empty());
}

TEST(ConfigurationChecks, StartAddressBounds)
{
    PosConfig c = WorkedExample();
    c.minD = 100;
    c.maxD = 9999;
    for (const auto &[start, ok] :
         {std::pair{100u, true}, std::pair{99u, false}, std::pair{9999u - 28u, true}}) {
        c.startD = start;
        Problem p;
        EXPECT_EQ(CheckStartAddress(c, &p, Lang::En), ok) << start;
        if (!ok) {
            EXPECT_EQ(p.text, "The start element address of D must range from [100] to [9999]");
        }
    }
    c.startD = 10000;
    const auto problems = CheckConfiguration(c, {}, Lang::Zh);
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(problems[0].text, "D元件起始地址只能在[ 100 -- 9999 ]之间取值");
}

TEST(ConfigurationChecks, CapacityNamesDBeforeM)
{
    PosConfig c = WorkedExample(); // 12 + 16 words from D2000
    c.maxD = 2028;
    Problem p;
    EXPECT_TRUE(CheckAddressCapacity(c, 0, &p, Lang::En));
    c.maxD = 2027;
    EXPECT_FALSE(CheckAddressCapacity(c, 0, &p, Lang::En));
    EXPECT_EQ(p.text, "D element address number reached max address number [2027]. Please input "
                      "the starting address again.");
    EXPECT_TRUE(CheckAddressCapacity(c, 1, &p, Lang::En)) << "only segment 1 counted";

    c.maxD = 9999;
    c.startM = 10;
    c.maxM = 11;
    EXPECT_TRUE(CheckAddressCapacity(c, 0, &p, Lang::En));
    c.maxM = 10;
    EXPECT_FALSE(CheckAddressCapacity(c, 0, &p, Lang::En));
    EXPECT_EQ(p.text.substr(0, 2), "M ");

    // No segment needs no M element, even with startM beyond maxM.
    c.segments.clear();
    c.startM = 50;
    EXPECT_TRUE(CheckAddressCapacity(c, 0, &p, Lang::En));
}

TEST(ConfigurationChecks, CapacityDoesNotWrapAt32Bits)
{
    PosConfig c = WorkedExample();
    c.startD = 0xFFFFFFF0u;
    c.maxD = 0xFFFFFFFFu;
    Problem p;
    EXPECT_FALSE(CheckAddressCapacity(c, 0, &p, Lang::En));
}

TEST(ConfigurationChecks, AtMost256Segments)
{
    PosConfig c = WorkedExample();
    c.segments.clear();
    for (std::uint32_t i = 1; i <= 256; ++i)
        c.segments[i] = Line(static_cast<std::int32_t>(i), 0);
    c.maxD = 100000;
    EXPECT_TRUE(CheckConfiguration(c, {}, Lang::En).empty());
    c.segments[257] = Line(0, 0);
    const auto problems = CheckConfiguration(c, {}, Lang::En);
    ASSERT_EQ(Ids(problems), std::vector<int>{sid::MaxStep});
    EXPECT_EQ(problems[0].text, "Max. step number [256] reached.");
}

TEST(ConfigurationChecks, ArcsBeginWhereTheActionModeSays)
{
    // Absolute: the arc of segment 2 begins at the end of segment 1.
    PosConfig c = WorkedExample();
    EXPECT_TRUE(CheckConfiguration(c, {}, Lang::En).empty());
    // Incremental: it begins at (0, 0), which lies on no circle about (20000, 10000)
    // through (30000, 10000).
    c.actionMode = 0;
    auto problems = CheckConfiguration(c, {}, Lang::En);
    ASSERT_EQ(Ids(problems), std::vector<int>{sid::ArcEndChoice});
    EXPECT_EQ(problems[0].segment, 2u);
    EXPECT_TRUE(
        problems[0].text.starts_with("[Segment No:2]\nCenter(20000, 10000)  Beginning(0, 0)"))
        << problems[0].text;

    // The first segment is never checked; a begin point on the centre cannot form an arc.
    c.actionMode = 1;
    c.segments[1] = Arc(kTypeCcw, 5, 5, 1, 1);
    c.segments[2] = Arc(kTypeCw, 10, 10, 5, 5);
    problems = CheckConfiguration(c, {}, Lang::En);
    ASSERT_EQ(Ids(problems), std::vector<int>{sid::NoArc});
    EXPECT_EQ(problems[0].text,
              "[Segment No:2] The input data cannot generate an arc. Please input again.");
}

TEST(ConfigurationChecks, PassThroughArcsAreCheckedAsSuch)
{
    PosConfig c = WorkedExample();
    // Half circle from (20000, 0) through (30000, 10000) to (20000, 20000).
    c.segments[2] = Arc(kTypeCcw, 20000, 20000, 30000, 10000, kPassPoint);
    EXPECT_TRUE(CheckConfiguration(c, {}, Lang::En).empty());
    c.segments[2] = Arc(kTypeCcw, 40000, 0, 30000, 0, kPassPoint);
    EXPECT_EQ(Ids(CheckConfiguration(c, {}, Lang::En)), std::vector<int>{sid::NoArc});
}

TEST(ConfigurationChecks, SubprogramNameMessages)
{
    const std::vector<std::pair<std::string, int>> cases = {
        {"", sid::NameEmpty},
        {"POS EXE", sid::NameIllegal},
        {"main", sid::NameExists},
        {"ABCDEFGHIJKLMNOPQRST", 0},
        {"ABCDEFGHIJKLMNOPQRSTU", sid::TooLong},
        {"定位子程序定位子程序定位子程序定位子程序", 0},
    };
    for (const auto &[name, id] : cases) {
        PosConfig c = WorkedExample();
        c.subprogramName = name;
        const auto ids = Ids(CheckConfiguration(c, {"Main"}, Lang::En));
        EXPECT_EQ(ids, id ? std::vector<int>{id} : std::vector<int>{}) << name;
    }
    PosConfig c = WorkedExample();
    c.subprogramName = "Main";
    EXPECT_EQ(CheckConfiguration(c, {"MAIN"}, Lang::Zh)[0].text,
              "子程序“Main”已经在当前的工程中存在，请重新输入");
}

TEST(ConfigurationChecks, ListsEveryProblem)
{
    PosConfig c = WorkedExample();
    c.startD = 1;
    c.minD = 100;
    c.maxD = 20;
    c.actionMode = 0;
    c.subprogramName = "a.b";
    EXPECT_EQ(
        Ids(CheckConfiguration(c, {}, Lang::En)),
        (std::vector<int>{sid::StartRange, sid::Capacity, sid::ArcEndChoice, sid::NameIllegal}));
}
