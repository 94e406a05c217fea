#pragma once

// The numbered string table: every message, caption, list and instruction
// format of the wizard and of the generated subprogram, in English and in
// simplified Chinese, looked up by identifier. Texts are UTF-8.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace pos {

enum class Lang { En, Zh };

// Language used by Text() without an explicit language. Set once by the
// host or the command line; English until then.
void SetLanguage(Lang lang);
Lang CurrentLanguage();

// Picks the language from a locale name such as "zh_CN.UTF-8" (Chinese for
// any "zh" locale, English otherwise).
Lang LanguageFromLocale(std::string_view locale);
// The language of the process environment (LC_ALL, LC_MESSAGES, LANG). On
// Windows, where these are seldom set, the user's display language when
// none of them is.
Lang LanguageFromEnvironment();

// Returns the text of a string id, or an empty view for an unknown id.
std::string_view Text(int id, Lang lang);
std::string_view Text(int id);
bool HasText(int id);

// One argument of Format: a number or a text.
using FormatArg = std::variant<std::int64_t, std::string>;

// Formats a string-table text with printf-style conversions: %d takes a
// number, %s and "% s" a text, %% prints a percent sign. A missing argument
// prints nothing; a number given for %s prints as a number and the other
// way round, so a format never reads past its arguments.
std::string Format(std::string_view format, std::span<const FormatArg> args);
std::string Format(std::string_view format, std::initializer_list<FormatArg> args);
std::string FormatId(int id, std::initializer_list<FormatArg> args);

// Identifiers of the texts that the code names.
namespace sid {
enum : int {
    TableHeaderTop = 1, // list of the table page's header rows
    PouHeader = 2,
    MovFormat = 3,
    CommentConfigCode = 4, // 4..11: comments of the block offsets
    LinFormat = 12,
    CwFormat = 13,
    CcwFormat = 14,
    LinComment = 15,
    CwComment = 16,
    CcwComment = 17,
    CancelQuestion = 18,
    NameEmpty = 19,
    NameIllegal = 20,
    NameExists = 21,
    SubprogramCaption = 22,
    TypeList = 23,
    CentreModeList = 25,
    ClockwiseArc = 28,
    CounterclockwiseArc = 29,
    StraightLine = 30,
    IndependentPulse = 31,
    PlsSign = 32,
    PlsSignOther = 33,
    PassThroughPoint = 34,
    CentrePoint = 35,
    ImportHeaderTop = 36, // list of the Import DXF grid's header rows
    Next = 37,
    Complete = 38,
    RemoveRow = 10012,
    FieldEmpty = 10013,
    DxfReadFailed = 10014,
    FieldNegative = 10015,
    FieldIllegalChar = 10016,
    FieldInvalid = 10017,
    SegmentNo = 10020,
    SegmentComment = 10021,
    MaxStep = 10023,
    Capacity = 10024,
    ArcEndChoice = 10025,
    NoArc = 10027,
    DeleteFollowing = 10028,
    TableEmpty = 10031,
    TitleModify = 10032,
    TitleCreate = 10033,
    KeepFollowing = 10034,
    StartRange = 10039,
    TableHeaderBottom = 10040,
    ImportHeaderBottom = 10042,
    SegmentLimit = 10043,
    DropBeginPoints = 10044,
    Incremental = 10045,
    Absolute = 10046,
    PortLabelsSign = 10047,   // 10047..10050: the four port labels for PLS+SIGN
    PortLabelsPulses = 10051, // 10051..10054: the four port labels for two pulses

    // Texts of the platform layer and of the tools around the wizard.
    EnterInteger = 50001,
    EnterUnsigned = 50002,
    TooLong = 50004,
    AtLine = 50010, // "line %d: " before a message
    AtPath = 50011, // "%s: " before a message

    DxfCodeExpected = 50101,
    DxfValueMissing = 50102,
    DxfNotNumber = 50103,
    DxfOutOfRange = 50104,
    DxfBinary = 50105,
    FileCannotOpen = 50106,
    DxfBadArc = 50107,
    DxfTooLarge = 50108,

    JsonSyntax = 50201,
    JsonUnknownKey = 50202,
    Expected = 50203, // "expected %s", with a text id or the text expected
    JsonDuplicateKey = 50204,
    FileCannotWrite = 50205,
    JsonObject = 50210,
    JsonArray = 50211,
    JsonString = 50212,
    ExpectedRange = 50213,
    JsonXPulsePort = 50214,
    JsonType = 50215,
    JsonCentreMode = 50216,
    JsonBoolean = 50217,
    OutputIsInput = 50540,       // the -o file is the input file
    PipeWithoutReader = 50541,   // a named pipe that no program reads
    FileKindNotWritable = 50542, // neither a regular file, a character device nor a pipe

    PouEnd = 50302,
    PouNotHeader = 50303,
    PouMixed = 50304,

    CliUsage = 50401,
    CliUnknownCommand = 50402,
    CliBadOption = 50403,
    CliWritten = 50404,
    CliProblems = 50405,
    CliCheckPassed = 50406,
    NameTaken = 50420,
    KeyMissing = 50421,
    ProjectName = 50422, // what a project's subprogram name must be
    NoSuchSubprogram = 50423,
    CannotModify = 50424,
    GuideCannotLoad = 50425,
    GuideNoExport = 50426,
    GuideNotTheWizard = 50427,
    NoDisplay = 50428,
    Cancelled = 50429,
    Stored = 50430,
    NotOneSubprogram = 50431,
    NotWritten = 50432,
    ProjectChanged = 50433,

    // Taking an arranged drawing into the wizard.
    ActionModeSetAbsolute = 50440,
    SegmentsOverLimit = 50441, // the arranged outline is cut at the segment limit
    ToleranceForLimit = 50442, // the tolerance that would keep it within the limit
    NoLayerChosen = 50443,
    TravelMove = 50444,    // what a travel row is, for its tooltip
    ProjectBusy = 50560,   // another run holds the project's lock
    LockFailed = 50561,    // the lock file cannot be opened or locked
    ValidUtf8Text = 50562, // what a subprogram's text must be
    RangeReversed = 50563, // a range whose low end is above its high end

    // The arranged drawing import.
    ImportTooLarge = 50500,
    ImportNesting = 50501,
    ImportCoordinateTooLarge = 50502,
    ReportReadPlain = 50509,
    ReportRead = 50510,
    ReportSkipped = 50511,
    ReportUnit = 50512,
    ReportUnitAssumed = 50513,
    ReportContours = 50514,
    ReportFitting = 50515,
    ReportDropped = 50516,
    ReportSegments = 50517,
    ReportOverLimit = 50518,
    ReportOverLimitTolerance = 50519,
    CliBadValue = 50520,
    CliArrangeOnly = 50521,
    JsonSyntaxAt = 50580,     // "not valid JSON: parse error at line %d, column %d: %s"
    JsonUnexpectedAt = 50581, // the same with an unexpected token as its detail
    JsonEndsEarly = 50582,
    JsonNul = 50583,
    JsonBadString = 50584,
    JsonBadNumber = 50585,
    ErrNoEntry = 50586, // the system's reasons, in both languages
    ErrAccess = 50587,
    ErrNoSpace = 50588,
    ErrIsDirectory = 50589,
    ErrTooLarge = 50590,
    ErrReadOnly = 50591,
    ErrNoMemory = 50592,
    FileNotRegular = 50593,
    FileOverLimit = 50594,
    DxfNoEof = 50595,
    SegmentLimitDropped = 50596,
    CliMissingArgument = 50597,
    CliExtraArgument = 50598,
    OutOfMemory = 50599,
    PouTooManySegments = 50600,
    ConfigurationCodes = 50601,
    FieldEnterInteger = 50610,
    FieldEnterUnsigned = 50611,
    SvgSpeedLegend = 50620,
    EstimateSegment = 50621,
    EstimateLength = 50622,
    EstimateTime = 50623,
    EstimatePeak = 50624,
    EstimateTravel = 50625,
    EstimateTotal = 50626,
    EstimateTotalPartial = 50627,
    MotionZeroMaxSpeed = 50628,
    MotionMaxBelowInitial = 50629,
    RenderBadExtension = 50630,
    RenderNoPng = 50631,
    RenderPngFailed = 50632,
    ErrInUse = 50700, // Windows: another program holds the file open without sharing it
};
} // namespace sid

} // namespace pos
