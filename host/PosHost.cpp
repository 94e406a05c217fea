#include "PosHost.h"

#include "codegen/GeneratePou.h"
#include "codegen/PouReader.h"
#include "geometry/DxfReader.h"
#include "guide/ConfigJson.h"
#include "guide/FileIo.h"
#include "guide/PosConfig.h"
#include "res/StringTable.h"
#include "wizard/Checks.h"

#include <cerrno>
#include <filesystem>
#include <new>
#include <optional>
#include <ostream>
#include <string_view>
#include <system_error>

namespace pos {

namespace {

struct Command
{
    std::string_view name;
    bool takesOutput; // -o FILE
    bool takesRaw;    // --raw
    bool takesName;   // --name NAME
};

constexpr Command kCommands[] = {
    {"generate", true, false, false},
    {"check", false, false, false},
    {"import-dxf", true, true, false},
    {"decode", true, false, true},
};

struct Options
{
    const Command *command = nullptr;
    std::string input;
    std::optional<std::string> output;
    std::optional<std::string> name;
    bool raw = false;
};

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
            ++i;
        } else if (arg == "-o" && command.takesOutput) {
            if (!hasValue || options.output)
                return badOption();
            options.output = args[++i];
        } else if (arg == "--name" && command.takesName) {
            if (!hasValue || options.name)
                return badOption();
            options.name = args[++i];
        } else if (arg == "--raw" && command.takesRaw) {
            options.raw = true;
        } else {
            return badOption();
        }
    }
    if (positional.size() != 1)
        return Usage(err, lang);
    options.input = positional.front();
    return kExitOk;
}

// Reads an input file; prints "path: reason" when it cannot.
bool ReadInput(const std::string &path, std::string &text, std::ostream &err, Lang lang)
{
    std::string reason;
    if (ReadWholeFile(path, &text, &reason))
        return true;
    err << path << ": " << Format(Text(sid::FileCannotOpen, lang), {reason}) << '\n';
    return false;
}

std::optional<PosConfig> LoadConfig(const std::string &path, std::ostream &err, Lang lang)
{
    std::string text;
    if (!ReadInput(path, text, err, lang))
        return std::nullopt;
    std::string error;
    std::optional<PosConfig> config = ReadConfigJson(text, &error, lang);
    if (!config)
        err << path << ": " << error << '\n';
    return config;
}

// Writes a product to the -o file (whole or not at all) or to out.
int Emit(const std::string &text, const Options &options, std::ostream &out, std::ostream &err,
         Lang lang)
{
    if (!options.output) {
        out << text;
        return kExitOk;
    }
    std::string reason;
    if (!WriteWholeFile(*options.output, text, &reason)) {
        err << *options.output << ": " << Format(Text(sid::FileCannotWrite, lang), {reason})
            << '\n';
        return kExitFailed;
    }
    err << Format(Text(sid::CliWritten, lang), {*options.output}) << '\n';
    return kExitOk;
}

int Generate(const Options &options, std::ostream &out, std::ostream &err, Lang lang)
{
    const std::optional<PosConfig> config = LoadConfig(options.input, err, lang);
    if (!config)
        return kExitFailed;
    const std::vector<Problem> problems = CheckConfiguration(*config, {}, lang);
    if (!problems.empty()) {
        for (const Problem &problem : problems)
            err << problem.text << '\n';
        return kExitFailed;
    }
    return Emit(JoinPou(GeneratePouLines(*config, lang)), options, out, err, lang);
}

int Check(const Options &options, std::ostream &out, std::ostream &err, Lang lang)
{
    const std::optional<PosConfig> config = LoadConfig(options.input, err, lang);
    if (!config)
        return kExitFailed;
    const std::vector<Problem> problems = CheckConfiguration(*config, {}, lang);
    for (const Problem &problem : problems)
        out << problem.text << '\n';
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

int ImportDxf(const Options &options, std::ostream &out, std::ostream &err, Lang lang)
{
    CDxfReader reader;
    DxfError error;
    const std::unique_ptr<PosConfig> record = reader.ReadDxfFile(options.input, &error);
    if (!record) {
        err << Format(Text(sid::DxfReadFailed, lang), {options.input}) << '\n'
            << error.message(lang) << '\n';
        return kExitFailed;
    }
    if (options.raw)
        return Emit(WriteRawRecordJson(*record), options, out, err, lang);
    bool cut = false;
    const PosConfig config = ImportedConfiguration(*record, cut);
    if (cut)
        err << Format(Text(sid::SegmentLimit, lang), {std::int64_t{kMaxSegments}}) << '\n';
    return Emit(WriteConfigJson(config), options, out, err, lang);
}

int Decode(const Options &options, std::ostream &out, std::ostream &err, Lang lang)
{
    std::string text;
    if (!ReadInput(options.input, text, err, lang))
        return kExitFailed;
    const std::string name
        = options.name ? *options.name : std::filesystem::path(options.input).stem().string();
    PouReadError error;
    const std::optional<PosConfig> config = ParsePou(text, name, NewPageDefaults(), &error);
    if (!config) {
        err << options.input << ": " << error.message(lang) << '\n';
        return kExitFailed;
    }
    return Emit(WriteConfigJson(*config), options, out, err, lang);
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

    const std::string_view name = options.command->name;
    if (name == "generate")
        return Generate(options, out, err, lang);
    if (name == "check")
        return Check(options, out, err, lang);
    if (name == "import-dxf")
        return ImportDxf(options, out, err, lang);
    return Decode(options, out, err, lang);
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
