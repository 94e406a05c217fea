#include "PosHost.h"

#include "GuideLibrary.h"
#include "SvgRaster.h"
#include "codegen/GeneratePou.h"
#include "codegen/PouReader.h"
#include "geometry/DrawingImport.h"
#include "geometry/DxfDrawing.h"
#include "geometry/DxfReader.h"
#include "geometry/Motion.h"
#include "geometry/TrajectorySvg.h"
#include "guide/ConfigJson.h"
#include "guide/FileIo.h"
#include "guide/PosConfig.h"
#include "guide/ProjectJson.h"
#include "res/StringTable.h"

#include "wizard/Checks.h"
#include <nlohmann/json.hpp>

#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <new>
#include <optional>
#include <ostream>
#include <string_view>
#include <system_error>
#include <utility>

namespace pos {

namespace {

struct Command
{
    std::string_view name;
    std::size_t minArguments; // positional arguments
    std::size_t maxArguments;
    bool takesOutput;          // -o FILE
    bool takesRaw;             // --raw
    bool takesName;            // --name NAME
    bool takesPlugin;          // --plugin PATH
    bool takesArrange = false; // --arrange and its options
    // The positional arguments as the usage names them, in English and Chinese.
    std::array<std::array<std::string_view, 2>, 2> argumentNames{};
    bool takesJson = false;    // --json
    bool takesPicture = false; // --speed, --size WxH
};

// clang-format off
constexpr Command kCommands[] = {
    {"generate", 1, 1, true, false, false, false, false, {{{"CONFIG.json", "配置.json"}}}},
    {"check", 1, 1, false, false, false, false, false, {{{"CONFIG.json", "配置.json"}}}},
    {"import-dxf", 1, 1, true, true, false, false, true, {{{"FILE.dxf", "文件.dxf"}}}},
    {"decode", 1, 1, true, false, true, false, false, {{{"FILE.il", "文件.il"}}}},
    {"new", 0, 1, false, false, false, true, false, {{{"PROJECT.json", "项目.json"}}}},
    {"modify", 2, 2, false, false, false, true, false, {{{"NAME", "名称"}, {"PROJECT.json", "项目.json"}}}},
    {"list", 1, 1, false, false, false, false, false, {{{"PROJECT.json", "项目.json"}}}},
    {"estimate", 1, 1, false, false, false, false, false, {{{"CONFIG.json", "配置.json"}}}, true},
    {"render", 1, 1, true, false, false, false, false, {{{"CONFIG.json", "配置.json"}}}, false, true},
};
// clang-format on

struct Options
{
    const Command *command = nullptr;
    std::vector<std::string> arguments; // positional
    std::string input;                  // the first of them, when there is one
    std::optional<std::string> output;
    std::optional<std::string> name;
    std::optional<std::string> plugin;
    std::optional<Lang> lang; // when --lang was given
    bool raw = false;
    bool arrange = false;
    ArrangeOptions arrangeOptions;
    std::array<std::uint32_t, 3> speeds{}; // initial, maximum, acceleration time
    bool arrangeOnly = false;              // an option that needs --arrange was given
    bool json = false;
    SvgOptions picture;
};

// A number that fills the whole text, in the given range.
bool ParseNumber(const std::string &text, double low, double high, double &out)
{
    const char *first = text.data();
    const char *last = first + text.size();
    const auto [ptr, ec] = std::from_chars(first, last, out);
    return first != last && ptr == last && ec == std::errc() && std::isfinite(out) && out >= low
           && out <= high;
}

// "A,B,..." split at the commas.
std::vector<std::string> SplitList(const std::string &text)
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = text.find(',', from);
        parts.push_back(text.substr(from, comma - from));
        if (comma == std::string::npos)
            return parts;
        from = comma + 1;
    }
}

// The value of one of --arrange's options; false when it is not one.
bool ParseArrangeValue(const std::string &option, const std::string &value, Options &options)
{
    ArrangeOptions &a = options.arrangeOptions;
    if (option == "--pulses-per-mm")
        return ParseNumber(value, 1e-9, 1e9, a.pulsesPerMm) && a.pulsesPerMm > 0.0;
    if (option == "--tolerance")
        return ParseNumber(value, 1e-9, 1e6, a.toleranceMm) && a.toleranceMm > 0.0;
    if (option == "--unit") {
        a.unit = UnitFromName(value);
        return a.unit.has_value();
    }
    if (option == "--layers") {
        a.layers = SplitList(value);
        return true;
    }
    const std::vector<std::string> parts = SplitList(value);
    if (option == "--start") {
        return parts.size() == 2 && ParseNumber(parts[0], -1e12, 1e12, a.startMm.x)
               && ParseNumber(parts[1], -1e12, 1e12, a.startMm.y);
    }
    if (option == "--speeds") {
        if (parts.size() != 3)
            return false;
        for (std::size_t i = 0; i < 3; ++i) {
            double v = 0.0;
            if (!ParseNumber(parts[i], 0.0, 4294967295.0, v) || v != std::floor(v))
                return false;
            options.speeds[i] = static_cast<std::uint32_t>(v);
        }
        return true;
    }
    return false;
}

// "WxH": a picture's width and height in pixels, 16 to 16384 each.
bool ParseSize(const std::string &text, SvgOptions &picture)
{
    const std::size_t x = text.find('x');
    double w = 0.0, h = 0.0;
    if (x == std::string::npos || !ParseNumber(text.substr(0, x), 16, 16384, w)
        || !ParseNumber(text.substr(x + 1), 16, 16384, h) || w != std::floor(w)
        || h != std::floor(h))
        return false;
    picture.width = static_cast<int>(w);
    picture.height = static_cast<int>(h);
    return true;
}

bool IsArrangeOption(const std::string &arg)
{
    return arg == "--pulses-per-mm" || arg == "--tolerance" || arg == "--unit" || arg == "--layers"
           || arg == "--start" || arg == "--speeds";
}

// --lang en|zh anywhere on the line, else the locale. Found before the rest
// is parsed, so that even a usage error speaks the chosen language.
Lang ChooseLanguage(const std::vector<std::string> &args)
{
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "--")
            break;
        if (args[i] == "--lang") {
            if (args[i + 1] == "en")
                return Lang::En;
            if (args[i + 1] == "zh")
                return Lang::Zh;
        }
    }
    return LanguageFromEnvironment();
}

int Usage(std::ostream &err, Lang lang, const std::string &message = {})
{
    if (!message.empty())
        err << "pos-host: " << message << '\n';
    err << Text(sid::CliUsage, lang);
    return kExitUsage;
}

// Parses the options of a command; returns kExitOk or prints the usage.
int ParseOptions(const std::vector<std::string> &args, Options &options, std::ostream &err,
                 Lang lang)
{
    const Command &command = *options.command;
    std::vector<std::string> positional;
    bool optionsEnd = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (optionsEnd || arg.empty() || arg[0] != '-' || arg == "-") {
            positional.push_back(arg);
            continue;
        }
        const bool hasValue = i + 1 < args.size();
        const auto badOption
            = [&] { return Usage(err, lang, Format(Text(sid::CliBadOption, lang), {arg})); };
        if (arg == "--") {
            optionsEnd = true;
        } else if (arg == "--lang") {
            if (!hasValue || (args[i + 1] != "en" && args[i + 1] != "zh"))
                return badOption();
            options.lang = args[++i] == "zh" ? Lang::Zh : Lang::En;
        } else if (arg == "-o" && command.takesOutput) {
            if (!hasValue || options.output)
                return badOption();
            options.output = args[++i];
        } else if (arg == "--name" && command.takesName) {
            if (!hasValue || options.name)
                return badOption();
            options.name = args[++i];
        } else if (arg == "--plugin" && command.takesPlugin) {
            if (!hasValue || options.plugin)
                return badOption();
            options.plugin = args[++i];
        } else if (arg == "--raw" && command.takesRaw) {
            options.raw = true;
        } else if (arg == "--json" && command.takesJson) {
            options.json = true;
        } else if (arg == "--speed" && command.takesPicture) {
            options.picture.speed = true;
        } else if (arg == "--size" && command.takesPicture) {
            if (!hasValue)
                return badOption();
            if (!ParseSize(args[i + 1], options.picture))
                return Usage(err, lang, Format(Text(sid::CliBadValue, lang), {arg, args[i + 1]}));
            ++i;
        } else if (arg == "--arrange" && command.takesArrange) {
            options.arrange = true;
        } else if (IsArrangeOption(arg) && command.takesArrange) {
            if (!hasValue)
                return badOption();
            if (!ParseArrangeValue(arg, args[i + 1], options))
                return Usage(err, lang, Format(Text(sid::CliBadValue, lang), {arg, args[i + 1]}));
            ++i;
            options.arrangeOnly = true;
        } else {
            return badOption();
        }
    }
    if (positional.size() < command.minArguments) {
        const std::string_view missing
            = command.argumentNames[positional.size()][lang == Lang::Zh ? 1 : 0];
        return Usage(err, lang,
                     Format(Text(sid::CliMissingArgument, lang),
                            {std::string(command.name), std::string(missing)}));
    }
    if (positional.size() > command.maxArguments)
        return Usage(err, lang,
                     Format(Text(sid::CliExtraArgument, lang),
                            {std::string(command.name), positional[command.maxArguments]}));
    if ((options.arrangeOnly && !options.arrange) || (options.arrange && options.raw))
        return Usage(err, lang, std::string(Text(sid::CliArrangeOnly, lang)));
    if (!positional.empty())
        options.input = positional.front();
    options.arguments = std::move(positional);
    return kExitOk;
}

// A problem as the command line tells it: "FILE: " before it when it names
// a file.
void Report(std::ostream &err, const Diagnostic &d, Lang lang)
{
    if (!d.file.empty())
        err << d.file << ": ";
    err << Describe(d, lang) << '\n';
}

// Reads an input file and the record in it; tells why when it cannot.
template<typename Reader>
auto Load(const std::string &path, Reader read, std::ostream &err, Lang lang)
    -> std::optional<typename decltype(read(std::string_view()))::value_type>
{
    try {
        const Result<std::string> text = ReadWholeFile(path);
        if (!text) {
            Report(err, text.error(), lang);
            return std::nullopt;
        }
        auto record = read(*text);
        if (!record) {
            record.error().file = path;
            Report(err, record.error(), lang);
            return std::nullopt;
        }
        return std::move(*record);
    } catch (const std::bad_alloc &) {
        Report(err, Diagnostic{.id = sid::OutOfMemory, .file = path}, lang);
        return std::nullopt;
    }
}

// Writes a product to the -o file or to out. A regular file is written whole
// or not at all, a device or a pipe through (WriteWholeFile); any failure is
// exit status 1.
int Emit(const std::string &text, const Options &options, std::ostream &out, std::ostream &err,
         Lang lang)
{
    if (!options.output) {
        out << text;
        return kExitOk;
    }
    if (const Status written = WriteWholeFile(*options.output, text); !written) {
        Report(err, written.error(), lang);
        return kExitFailed;
    }
    err << Format(Text(sid::CliWritten, lang), {*options.output}) << '\n';
    return kExitOk;
}

// Before anything is read: an output file that is the input (another
// spelling, a link to it) would destroy it, so the command is refused.
bool OutputIsInput(const Options &options, std::ostream &err, Lang lang)
{
    if (!options.output)
        return false;
    const Status distinct = CheckOutputIsNotInput(options.input, *options.output);
    if (!distinct)
        Report(err, distinct.error(), lang);
    return !distinct;
}

int Generate(const Options &options, std::ostream &out, std::ostream &err, Lang lang)
{
    const std::optional<PosConfig> config = Load(options.input, ReadConfigJson, err, lang);
    if (!config)
        return kExitFailed;
    std::vector<Diagnostic> problems = CheckConfiguration(*config, {});
    if (!problems.empty()) {
        for (Diagnostic &problem : problems) {
            problem.file = options.input;
            Report(err, problem, lang);
        }
        return kExitFailed;
    }
    return Emit(JoinPou(GeneratePouLines(*config, lang)), options, out, err, lang);
}

int Check(const Options &options, std::ostream &out, std::ostream &err, Lang lang)
{
    const std::optional<PosConfig> config = Load(options.input, ReadConfigJson, err, lang);
    if (!config)
        return kExitFailed;
    std::vector<Diagnostic> problems = CheckConfiguration(*config, {});
    for (Diagnostic &problem : problems) {
        problem.file = options.input;
        Report(out, problem, lang);
    }
    if (problems.empty()) {
        out << Format(Text(sid::CliCheckPassed, lang), {options.input}) << '\n';
        return kExitOk;
    }
    out << Format(Text(sid::CliProblems, lang),
                  {options.input, static_cast<std::int64_t>(problems.size())})
        << '\n';
    return kExitFailed;
}

// The configuration as the Import DXF dialog's OK leaves it: a new
// configuration (absolute mode, since a drawing's coordinates are absolute)
// whose segments are the record's in key order, numbered from 1, with the
// type, the end point and an arc's circle point kept and everything else 0.
// Like the dialog, it takes at most 256 segments.
PosConfig ImportedConfiguration(const PosConfig &record, bool &cut)
{
    PosConfig config = NewPageDefaults();
    config.actionMode = 1;
    cut = false;
    std::uint32_t number = 0;
    for (const auto &[key, read] : record.segments) {
        if (number == kMaxSegments) {
            cut = true;
            break;
        }
        ++number;
        PosSegment segment; // zero-filled
        segment.number = number;
        segment.type = read.type;
        segment.endX = read.endX;
        segment.endY = read.endY;
        if (read.type != kTypeLine) { // a straight line's circle cells stay empty
            segment.centreX = read.centreX;
            segment.centreY = read.centreY;
        }
        config.segments[number] = segment;
    }
    return config;
}

// The drawing in machining order, as ArrangeDrawing leaves it; the report
// goes to err.
int ImportArranged(const Options &options, std::ostream &out, std::ostream &err, Lang lang)
{
    Result<dxf::Drawing> drawing = dxf::ReadDrawingFile(options.input);
    if (!drawing) {
        err << Format(Text(sid::DxfReadFailed, lang), {options.input}) << '\n'
            << Describe(drawing.error(), lang) << '\n';
        return kExitFailed;
    }
    Result<ArrangedDrawing> arranged = ArrangeDrawing(std::move(*drawing), options.arrangeOptions);
    if (!arranged) {
        arranged.error().file = options.input;
        Report(err, arranged.error(), lang);
        return kExitFailed;
    }
    for (const std::string &line : DescribeReport(arranged->report, lang))
        err << line << '\n';
    PosConfig &config = arranged->config;
    for (auto &[number, segment] : config.segments) {
        segment.beginX = segment.beginY = 0; // the table has no begin point
        segment.initialSpeed = options.speeds[0];
        segment.maxSpeed = options.speeds[1];
        segment.accDecTime = options.speeds[2];
    }
    return Emit(WriteConfigJson(config), options, out, err, lang);
}

int ImportDxfFile(const Options &options, std::ostream &out, std::ostream &err, Lang lang)
{
    if (options.arrange)
        return ImportArranged(options, out, err, lang);
    CDxfReader reader;
    if (!options.raw)
        reader.SetKeep(kMaxSegments + 1); // one more tells that the rest is cut
    const Result<PosConfig> record = reader.ReadDxfFile(options.input);
    if (!record) {
        err << Format(Text(sid::DxfReadFailed, lang), {options.input}) << '\n'
            << Describe(record.error(), lang) << '\n';
        return kExitFailed;
    }
    if (options.raw)
        return Emit(WriteRawRecordJson(*record), options, out, err, lang);
    bool cut = false;
    const PosConfig config = ImportedConfiguration(*record, cut);
    if (cut) {
        const auto dropped = static_cast<std::int64_t>(reader.SegmentsRead() - kMaxSegments);
        err << options.input << ": "
            << Format(Text(sid::SegmentLimitDropped, lang), {std::int64_t{kMaxSegments}, dropped})
            << '\n';
    }
    return Emit(WriteConfigJson(config), options, out, err, lang);
}

// A drawing too large for the memory is refused like any other bad input,
// with its file.
int ImportDxf(const Options &options, std::ostream &out, std::ostream &err, Lang lang)
{
    try {
        return ImportDxfFile(options, out, err, lang);
    } catch (const std::bad_alloc &) {
        Report(err, Diagnostic{.id = sid::OutOfMemory, .file = options.input}, lang);
        return kExitFailed;
    }
}

// The file name of a path without its extension ("a/b.il" gives "b"), as
// std::filesystem::path::stem gives it, on the UTF-8 text itself.
std::string Stem(const std::string &path)
{
#if defined(_WIN32)
    const std::size_t separator = path.find_last_of("/\\:");
#else
    const std::size_t separator = path.rfind('/');
#endif
    std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot != 0 && name != "..")
        name.resize(dot);
    return name;
}

int Decode(const Options &options, std::ostream &out, std::ostream &err, Lang lang)
{
    const std::string name = options.name ? *options.name : Stem(options.input);
    const auto read
        = [&name](std::string_view text) { return ParsePou(text, name, NewPageDefaults()); };
    const std::optional<PosConfig> config = Load(options.input, read, err, lang);
    if (!config)
        return kExitFailed;
    return Emit(WriteConfigJson(*config), options, out, err, lang);
}

// ---------------------------------------------------------------- motion

std::string Fixed(double v, int decimals)
{
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
    return buffer;
}

std::string MotionProblemText(MotionProblem problem, Lang lang)
{
    return std::string(Text(problem == MotionProblem::ZeroMaxSpeed ? sid::MotionZeroMaxSpeed
                                                                   : sid::MotionMaxBelowInitial,
                            lang));
}

std::string EstimateJson(const MotionEstimate &e, Lang lang)
{
    nlohmann::ordered_json segments = nlohmann::ordered_json::array();
    for (const SegmentMotion &m : e.segments) {
        nlohmann::ordered_json s{{"segment", m.segment}, {"length", m.length}};
        if (m.timed()) {
            s["time"] = m.time;
            s["peakSpeed"] = m.peakSpeed;
        } else {
            s["time"] = nullptr;
            s["problem"] = MotionProblemText(m.problem, lang);
        }
        if (m.travel)
            s["travel"] = true;
        segments.push_back(std::move(s));
    }
    nlohmann::ordered_json total{{"length", e.length},
                                 {"travelLength", e.travelLength},
                                 {"time", e.time},
                                 {"complete", e.complete()}};
    return nlohmann::ordered_json{{"segments", std::move(segments)}, {"total", std::move(total)}}
               .dump(2)
           + '\n';
}

std::string EstimateTable(const MotionEstimate &e, Lang lang)
{
    std::string out;
    for (const int id : {sid::EstimateSegment, sid::EstimateLength, sid::EstimateTime})
        (out += Text(id, lang)) += '\t';
    (out += Text(sid::EstimatePeak, lang)) += '\n';
    for (const SegmentMotion &m : e.segments) {
        out += std::to_string(m.segment) + '\t' + Fixed(m.length, 2) + '\t';
        if (m.timed())
            out += Fixed(m.time, 4) + '\t' + Fixed(m.peakSpeed, 0);
        else
            out += "-\t-\t" + MotionProblemText(m.problem, lang);
        if (m.travel)
            (out += '\t') += Text(sid::EstimateTravel, lang);
        out += '\n';
    }
    const std::string length = Fixed(e.length, 2);
    const std::string travel = Fixed(e.travelLength, 2);
    const std::string time = Fixed(e.time, 4);
    out += e.complete() ? Format(Text(sid::EstimateTotal, lang), {length, travel, time})
                        : Format(Text(sid::EstimateTotalPartial, lang),
                                 {length, travel, time, static_cast<std::int64_t>(e.untimed)});
    return out + '\n';
}

int Estimate(const Options &options, std::ostream &out, std::ostream &err, Lang lang)
{
    const std::optional<PosConfig> config = Load(options.input, ReadConfigJson, err, lang);
    if (!config)
        return kExitFailed;
    const MotionEstimate estimate = EstimateMotion(*config);
    out << (options.json ? EstimateJson(estimate, lang) : EstimateTable(estimate, lang));
    return kExitOk;
}

bool EndsWith(std::string_view text, std::string_view end)
{
    if (text.size() < end.size())
        return false;
    for (std::size_t i = 0; i < end.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - end.size() + i])) != end[i])
            return false;
    return true;
}

int Render(const Options &options, std::ostream &out, std::ostream &err, Lang lang)
{
    if (!options.output)
        return Usage(
            err, lang,
            Format(Text(sid::CliMissingArgument, lang), {"render", "-o FILE.svg|FILE.png"}));
    const bool png = EndsWith(*options.output, ".png");
    if (!png && !EndsWith(*options.output, ".svg")) {
        Report(err, Diagnostic{.id = sid::RenderBadExtension, .file = *options.output}, lang);
        return kExitFailed;
    }
    const std::optional<PosConfig> config = Load(options.input, ReadConfigJson, err, lang);
    if (!config)
        return kExitFailed;
    SvgOptions picture = options.picture;
    picture.lang = lang;
    const std::string svg = TrajectorySvg(*config, picture).text;
    if (!png)
        return Emit(svg, options, out, err, lang);
    Result<std::string> image = RasterizeSvg(svg, picture.width, picture.height);
    if (!image) {
        image.error().file = *options.output;
        Report(err, image.error(), lang);
        return kExitFailed;
    }
    return Emit(*image, options, out, err, lang);
}

// ---------------------------------------------------------------- projects

// A project as read from its file, with the file's bytes: the file is
// written only when it still holds them.
struct LoadedProject
{
    std::string path;
    std::string bytes;
    Project project;
};

std::optional<LoadedProject> LoadProject(const std::string &path, std::ostream &err, Lang lang)
{
    LoadedProject loaded;
    loaded.path = path;
    const auto read = [&loaded](std::string_view text) {
        loaded.bytes = text;
        return ReadProjectJson(text);
    };
    std::optional<Project> project = Load(path, read, err, lang);
    if (!project)
        return std::nullopt;
    loaded.project = std::move(*project);
    return loaded;
}

int List(const Options &options, std::ostream &out, std::ostream &err, Lang lang)
{
    const std::optional<LoadedProject> loaded = LoadProject(options.input, err, lang);
    if (!loaded)
        return kExitFailed;
    for (const ProjectSubprogram &subprogram : loaded->project.subprograms)
        out << subprogram.name << '\n';
    return kExitOk;
}

// Stores a subprogram in the project and writes the file: in place of the
// subprogram called replacing when it is given, else as a new one at the
// end. Refuses, writing nothing, a name the file cannot hold or that another
// subprogram has, a text that is not UTF-8, a file that changed since it was
// read and a project another run is writing (ReplaceProjectFile).
bool Store(LoadedProject &loaded, const std::string &name, const std::string &text,
           const std::string *replacing, std::ostream &err, Lang lang)
{
    Project &project = loaded.project;
    const std::string &path = loaded.path;
    if (!IsProjectName(name)) {
        Report(err,
               Diagnostic{.id = sid::Expected,
                          .args = {TextId{sid::ProjectName}},
                          .file = path,
                          .path = "\"" + name + "\""},
               lang);
        return false;
    }
    ProjectSubprogram *slot = replacing ? project.find(*replacing) : nullptr;
    for (const ProjectSubprogram &other : project.subprograms) {
        if (&other != slot && NameExistsInProject(name, {other.name})) {
            Report(err, Diagnostic{.id = sid::NameTaken, .args = {name}, .file = path}, lang);
            return false;
        }
    }
    if (slot)
        *slot = ProjectSubprogram{name, text};
    else
        project.subprograms.push_back(ProjectSubprogram{name, text});
    // Nothing is written that the reader would refuse or change.
    if (Status valid = CheckProject(project); !valid) {
        valid.error().file = path;
        Report(err, valid.error(), lang);
        return false;
    }

    // The wizard may have been open for long; whatever changed the file
    // meanwhile is not overwritten.
    if (const Status written = ReplaceProjectFile(path, loaded.bytes, WriteProjectJson(project));
        !written) {
        Report(err, written.error(), lang);
        return false;
    }
    err << Format(Text(sid::Stored, lang), {path, name}) << '\n';
    return true;
}

// ------------------------------------------------------------------ wizard

// What must hold before the wizard opens: a display, the language the
// command line asks for, the plug-in with its entry points.
std::optional<GuideLibrary> PrepareWizard(const Options &options, std::ostream &err, Lang lang)
{
    if (!HasDisplay()) {
        err << "pos-host: " << Text(sid::NoDisplay, lang) << '\n';
        return std::nullopt;
    }
    if (options.lang)
        SetWizardLocale(*options.lang);
    Result<GuideLibrary> guide = LoadGuide(options.plugin ? *options.plugin : DefaultGuidePath());
    if (!guide) {
        err << "pos-host: " << MessageText(guide.error(), lang) << '\n';
        return std::nullopt;
    }
    return *guide;
}

int Cancelled(std::ostream &err, Lang lang)
{
    err << "pos-host: " << Text(sid::Cancelled, lang) << '\n';
    return kExitCancelled;
}

// Takes over what a completed wizard handed back: stores it in the project
// (when there is one) and prints it. When the project cannot take it, the
// text is still printed, so that the user's work is not lost.
int Completed(const PosHostResult &result, LoadedProject *loaded, const std::string *replacing,
              std::ostream &out, std::ostream &err, Lang lang)
{
    if (result.pouMap.size() != 1 || !result.pouMap.begin()->second) {
        err << "pos-host: " << Text(sid::NotOneSubprogram, lang) << '\n';
        return kExitFailed;
    }
    const auto &[name, lines] = *result.pouMap.begin();
    const std::string text = JoinPou(*lines);
    int status = kExitOk;
    if (loaded && !Store(*loaded, name, text, replacing, err, lang)) {
        err << Format(Text(sid::NotWritten, lang), {loaded->path}) << '\n';
        status = kExitFailed;
    }
    out << text;
    return status;
}

int New(const Options &options, std::ostream &out, std::ostream &err, Lang lang)
{
    std::optional<LoadedProject> loaded;
    if (!options.arguments.empty()) {
        loaded = LoadProject(options.input, err, lang);
        if (!loaded)
            return kExitFailed;
    }
    const std::optional<GuideLibrary> guide = PrepareWizard(options, err, lang);
    if (!guide)
        return kExitFailed;
    PosHostContext context = loaded ? loaded->project.context() : Project{}.context();
    PosHostResult result;
    if (guide->instruction(&context, nullptr, &result) != 1)
        return Cancelled(err, lang);
    return Completed(result, loaded ? &*loaded : nullptr, nullptr, out, err, lang);
}

int Modify(const Options &options, std::ostream &out, std::ostream &err, Lang lang)
{
    const std::string &wanted = options.arguments[0];
    std::optional<LoadedProject> loaded = LoadProject(options.arguments[1], err, lang);
    if (!loaded)
        return kExitFailed;
    const Project &project = loaded->project;
    const ProjectSubprogram *subprogram = project.find(wanted);
    if (!subprogram) {
        err << Format(Text(sid::NoSuchSubprogram, lang), {loaded->path, wanted}) << '\n';
        return kExitFailed;
    }
    const std::string name = subprogram->name; // as the project spells it

    // The record as the subprogram's text holds it, in the project's ranges.
    PosConfig base = NewPageDefaults();
    base.minD = project.minD;
    base.maxD = project.maxD;
    base.minM = project.minM;
    base.maxM = project.maxM;
    Result<PosConfig> record = ParsePou(subprogram->text, name, base);
    if (!record) {
        err << loaded->path << ": "
            << Format(Text(sid::CannotModify, lang), {name, Describe(record.error(), lang)})
            << '\n';
        return kExitFailed;
    }

    const std::optional<GuideLibrary> guide = PrepareWizard(options, err, lang);
    if (!guide)
        return kExitFailed;
    PosHostContext context = project.context();
    PosHostResult result;
    if (guide->modify(&context, &*record, &result) != 1)
        return Cancelled(err, lang);
    return Completed(result, &*loaded, &name, out, err, lang);
}

int Run(const std::vector<std::string> &args, std::ostream &out, std::ostream &err, Lang lang)
{
    if (args.empty())
        return Usage(err, lang);
    const std::string &first = args.front();
    if (first == "help" || first == "--help" || first == "-h") {
        out << Text(sid::CliUsage, lang);
        return kExitOk;
    }
    Options options;
    for (const Command &command : kCommands)
        if (first == command.name)
            options.command = &command;
    if (!options.command)
        return Usage(err, lang, Format(Text(sid::CliUnknownCommand, lang), {first}));
    if (const int status = ParseOptions(args, options, err, lang); status != kExitOk)
        return status;

    if (OutputIsInput(options, err, lang))
        return kExitFailed;
    const std::string_view name = options.command->name;
    if (name == "generate")
        return Generate(options, out, err, lang);
    if (name == "check")
        return Check(options, out, err, lang);
    if (name == "import-dxf")
        return ImportDxf(options, out, err, lang);
    if (name == "decode")
        return Decode(options, out, err, lang);
    if (name == "estimate")
        return Estimate(options, out, err, lang);
    if (name == "render")
        return Render(options, out, err, lang);
    if (name == "new")
        return New(options, out, err, lang);
    if (name == "modify")
        return Modify(options, out, err, lang);
    return List(options, out, err, lang);
}

} // namespace

int RunPosHost(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    const Lang lang = ChooseLanguage(args);
    SetLanguage(lang);
    try {
        return Run(args, out, err, lang);
    } catch (const std::bad_alloc &) {
        // An input too large for the memory: refused like any other bad input.
        err << "pos-host: " << std::system_category().message(ENOMEM) << '\n';
        return kExitFailed;
    }
}

} // namespace pos
