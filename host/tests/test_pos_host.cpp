// pos-host's commands that need no wizard, in-process: the exit status, the
// product on stdout or in the -o file, the messages on stderr, output files
// written whole or not at all, --lang and the usage errors. The readers and
// checks behind the commands are tested in the core; each command path runs
// here once.

#include "PosHostTest.h"

#include "guide/ConfigJson.h"
#include "res/StringTable.h"

namespace pos::test {
namespace {

const std::string kData = POS_TEST_DATA_DIR;
const std::string kExampleJson = kData + "/../examples/worked_example.json";
const std::string kExampleEn = kData + "/../examples/worked_example.il";
const std::string kExampleZh = kData + "/pou/worked_example_zh.il";
const std::string kUsage(Text(sid::CliUsage, Lang::En));
#if defined(_WIN32)
const std::string kDevice = "NUL";
#else
const std::string kDevice = "/dev/zero";
#endif

struct Case
{
    std::vector<std::string> args;
    Result result;
    const char *lcAll = "C";
    std::string file = "old"; // the file out afterwards
};

void Check(const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        SetEnv("LC_ALL", c.lcAll);
        Write("out", "old");
        const Result r = RunCommand(c.args);
        EXPECT_EQ(std::make_tuple(r, Read("out")), std::make_tuple(c.result, c.file))
            << c.lcAll << " " << ::testing::PrintToString(c.args);
    }
}

TEST_F(PosHostTest, ProductsGoToStdoutOrTheOutputFile)
{
    // A counter-clockwise half circle round (0, 50) from (0, 0) to (0, 100),
    // then 256 lines, of which the import keeps the first 255.
    std::string dxf = "0\nSECTION\n2\nENTITIES\n0\nARC\n10\n0\n20\n50\n40\n50\n50\n270\n51\n90\n";
    PosConfig raw; // the reader's own record: keys from 0, with begin points
    raw.segments[0] = PosSegment{0, kTypeCcw, 0, 0, 0, 0, 0, 0, 0, 100, 0, 50};
    PosConfig imported = NewPageDefaults(); // absolute, numbered from 1, no begin points
    imported.actionMode = 1;
    imported.segments[1] = PosSegment{1, kTypeCcw, 0, 0, 0, 0, 0, 0, 0, 100, 0, 50};
    for (std::uint32_t i = 1; i <= 256; ++i) {
        const auto x = static_cast<std::int32_t>(i);
        dxf += "0\nLINE\n10\n" + std::to_string(x - 1) + "\n20\n0\n11\n" + std::to_string(x)
               + "\n21\n0\n";
        raw.segments[i] = PosSegment{0, kTypeLine, 0, 0, 0, 0, x - 1, 0, x, 0, 0, 0};
        if (i < kMaxSegments)
            imported.segments[i + 1] = PosSegment{i + 1, kTypeLine, 0, 0, 0, 0, 0, 0, x, 0, 0, 0};
    }
    Write("drawing.dxf", dxf + "0\nENDSEC\n0\nEOF\n");
    Write("project.json",
          R"({"subprograms": [{"name": "b", "text": ""}, {"name": "A", "text": ""}]})");
    // Two lines 10 mm apart, the second drawn backwards: arranged at 10
    // pulses per millimetre with a travel move between them.
    Write("two.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0\n20\n0\n11\n10\n21\n0\n"
                     "0\nLINE\n10\n30\n20\n0\n11\n20\n21\n0\n0\nENDSEC\n0\nEOF\n");
    PosConfig arranged = imported;
    arranged.segments.clear();
    for (const auto &[n, x] : {std::pair(1u, 100), std::pair(2u, 200), std::pair(3u, 300)}) {
        arranged.segments[n] = PosSegment{n, kTypeLine, 0, 5, 50, 20, 0, 0, x, 0, 0, 0};
        arranged.segments[n].travel = n == 2;
    }
    const std::string report
        = "Read: LINE 2\nUnit: mm (the drawing gives none; assumed); scale: 10 pulses per "
          "drawing unit\nContours: 0 closed, 2 open; travel moves: 1\nLines merged: 0; arcs "
          "fitted: 0 (for 0 lines); curves approximated: 0\nSegments: 3\n";

    // Decoded, the worked example has no segment numbers; the name is the
    // file's unless --name gives one.
    PosConfig decoded = ReadConfigJson(Read(kExampleJson)).value();
    for (auto &[key, segment] : decoded.segments)
        segment.number = 0;
    decoded.subprogramName = "worked_example";
    const std::string decodedEn = WriteConfigJson(decoded);
    decoded.subprogramName = "Motion_1";

    const std::string en = Read(kExampleEn);
    const std::string zh = Read(kExampleZh);
    Check({
        {{"generate", kExampleJson}, {0, en, ""}},
        {{"generate", kExampleJson}, {0, zh, ""}, "zh_CN.UTF-8"},
        {{"generate", kExampleJson, "--lang", "en"}, {0, en, ""}, "zh_CN.UTF-8"},
        {{"generate", kExampleJson, "-o", "out"}, {0, "", "out written\n"}, "C", en},
        {{"check", kExampleJson}, {0, kExampleJson + ": no problem found\n", ""}},
        {{"import-dxf", "drawing.dxf"},
         {0, WriteConfigJson(imported),
          "drawing.dxf: The number of the segment has reached the upper limit [256], new step "
          "cannot be added. 1 more segments of the drawing were left out.\n"}},
        {{"import-dxf", "drawing.dxf", "--raw"}, {0, WriteRawRecordJson(raw), ""}},
        {{"import-dxf", "two.dxf", "--arrange", "--pulses-per-mm", "10", "--speeds", "5,50,20"},
         {0, WriteConfigJson(arranged), report}},
        {{"decode", kExampleEn}, {0, decodedEn, ""}},
        {{"decode", kExampleZh, "--name", "Motion_1"}, {0, WriteConfigJson(decoded), ""}},
        {{"list", "project.json"}, {0, "b\nA\n", ""}},
        {{"help"}, {0, kUsage, ""}},
    });
}

// A drawing and a project in folders named in Chinese, named as the command
// line names them (UTF-8); the decoded subprogram takes its name from the
// file's.
TEST_F(PosHostTest, FoldersAndFilesNamedInChinese)
{
    std::filesystem::create_directory(PathOf("图纸"));
    std::filesystem::create_directory(PathOf("项目"));
    const std::string dxf = "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0\n20\n0\n11\n10\n21\n0\n0\n"
                            "ENDSEC\n0\nEOF\n";
    Write("two.dxf", dxf);
    Write("图纸/两条线.dxf", dxf);
    Write("项目/示例.json", Read(kExampleJson));
    Write("项目/工程.json", R"({"subprograms": [{"name": "主程序", "text": ""}]})");
    PosConfig decoded = ReadConfigJson(Read(kExampleJson)).value();
    for (auto &[key, segment] : decoded.segments)
        segment.number = 0;
    decoded.subprogramName = "示例";

    const std::string imported = std::get<1>(RunCommand({"import-dxf", "two.dxf"}));
    const std::string en = Read(kExampleEn);
    const std::vector<std::pair<std::vector<std::string>, Result>> cases = {
        {{"import-dxf", "图纸/两条线.dxf"}, {0, imported, ""}},
        {{"generate", "项目/示例.json", "-o", "项目/示例.il"}, {0, "", "项目/示例.il written\n"}},
        {{"decode", "项目/示例.il"}, {0, WriteConfigJson(decoded), ""}},
        {{"check", "项目/示例.json"}, {0, "项目/示例.json: no problem found\n", ""}},
        {{"list", "项目/工程.json"}, {0, "主程序\n", ""}},
        {{"list", "项目/无.json", "--lang", "zh"},
         {1, "", "项目/无.json: 无法打开文件：文件或目录不存在\n"}},
    };
    for (const auto &[args, result] : cases)
        EXPECT_EQ(RunCommand(args), result) << ::testing::PrintToString(args);
    EXPECT_EQ(Read("项目/示例.il"), en);
}

TEST_F(PosHostTest, RefusalsNameTheFileOnStderrWriteNothingAndExit1)
{
    Write("bad.json", R"({"startD": 10000, "subprogramName": ""})");
    Write("bad.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1,5\n0\nENDSEC\n0\nEOF\n");
    Write("cut.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1\n20\n1\n");
    Write("nulbyte.json", std::string("{\"startD\": 2000}\0{", 17));
    const std::string problems
        = "bad.json: The start element address of D must range from [0] to [9999]\nbad.json: D "
          "element address number reached max address number [9999]. Please input the starting "
          "address again.\nbad.json: Please enter the name of the subprogram generated by POS "
          "instruction.\n";
    Check({
        {{"check", "nulbyte.json", "--lang", "zh"},
         {1, "",
          "nulbyte.json: 不是有效的JSON：第1行第17列有语法错误：NUL字节（JSON只允许在字符串中写作"
          "\\u0000）\n"}},
        {{"check", "."}, {1, "", ".: the file cannot be opened: Is a directory\n"}},
        {{"generate", "no.json", "--lang", "zh"},
         {1, "", "no.json: 无法打开文件：文件或目录不存在\n"}},
        {{"decode", kDevice},
         {1, "",
          kDevice
              + ": the file cannot be opened: not a regular file (a pipe, a device or a "
                "socket)\n"}},
        {{"import-dxf", "cut.dxf"},
         {1, "",
          "Reading of cut.dxf file failed. Is it already opened or damaged?\nline 10: the drawing "
          "ends before its end-of-file marker\n"}},
        {{"generate", "bad.json", "-o", "out"}, {1, "", problems}},
        // After "--" even "-o" is a file name.
        {{"generate", "--", "-o"},
         {1, "", "-o: the file cannot be opened: No such file or directory\n"}},
        {{"generate", kExampleJson, "-o", "no/such/out"},
         {1, "", "no/such/out: the file cannot be written: No such file or directory\n"}},
        {{"check", "bad.json"}, {1, problems + "bad.json: 3 problem(s) found\n", ""}},
        {{"import-dxf", "bad.dxf"},
         {1, "",
          "Reading of bad.dxf file failed. Is it already opened or damaged?\nline 8: \"1,5\" is "
          "not a number\n"}},
        {{"import-dxf", "bad.dxf", "--arrange"},
         {1, "",
          "Reading of bad.dxf file failed. Is it already opened or damaged?\nline 8: \"1,5\" is "
          "not a number\n"}},
        {{"decode", "bad.json"},
         {1, "",
          "bad.json: line 1: this is not the header of a subprogram generated by the POS "
          "instruction wizard\n"}},
        {{"list", "bad.json"}, {1, "", "bad.json: $.startD: unknown key\n"}},
    });
}

TEST_F(PosHostTest, AWrongCommandLinePrintsTheUsageAndExits2)
{
    const std::string bad = "pos-host: unknown or incomplete option ";
    const std::string zh
        = "pos-host: 未知的命令“convert”\n" + std::string(Text(sid::CliUsage, Lang::Zh));
    Check({
        {{}, {2, "", kUsage}},
        {{"convert"}, {2, "", "pos-host: unknown command \"convert\"\n" + kUsage}},
        {{"convert", "--lang", "zh"}, {2, "", zh}},
        {{"generate"}, {2, "", "pos-host: generate: CONFIG.json missing\n" + kUsage}},
        {{"modify", "A", "--lang", "zh"},
         {2, "", "pos-host: modify：缺少项目.json\n" + std::string(Text(sid::CliUsage, Lang::Zh))}},
        {{"check", "a.json", "b.json"},
         {2, "", "pos-host: check: one argument too many: \"b.json\"\n" + kUsage}},
        {{"generate", "a.json", "-x"}, {2, "", bad + "\"-x\"\n" + kUsage}},
        {{"generate", "a.json", "-o"}, {2, "", bad + "\"-o\"\n" + kUsage}},
        {{"generate", "a.json", "-o", "x", "-o", "y"}, {2, "", bad + "\"-o\"\n" + kUsage}},
        {{"generate", "a.json", "--raw"}, {2, "", bad + "\"--raw\"\n" + kUsage}},
        {{"check", "a.json", "--lang", "fr"}, {2, "", bad + "\"--lang\"\n" + kUsage}},
        {{"import-dxf", "a.dxf", "--arrange", "--tolerance", "0"},
         {2, "", "pos-host: --tolerance: \"0\" is not a valid value\n" + kUsage}},
        {{"import-dxf", "a.dxf", "--speeds", "1,2"},
         {2, "", "pos-host: --speeds: \"1,2\" is not a valid value\n" + kUsage}},
        {{"import-dxf", "a.dxf", "--unit", "mm"},
         {2, "", "pos-host: " + std::string(Text(sid::CliArrangeOnly, Lang::En)) + "\n" + kUsage}},
    });
}

} // namespace
} // namespace pos::test
