#include "GuideLibrary.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#if defined(_WIN32)
#include "guide/WindowsFile.h"
#else
#include <dlfcn.h>
#endif

namespace pos {

namespace {

#if defined(_WIN32)
constexpr const char *kLibraryFile = "POS.dll";

void *Open(const std::string &path, std::string &reason)
{
    const auto *begin = reinterpret_cast<const char8_t *>(path.data());
    const std::filesystem::path file(std::u8string(begin, begin + path.size()));
    HMODULE module = ::LoadLibraryW(file.c_str());
    if (!module)
        reason = win::ErrorText(::GetLastError()); // in UTF-8, whatever the system's language
    return reinterpret_cast<void *>(module);
}

template<typename Fn>
Fn Resolve(void *library, const char *name)
{
    // Through void (*)(), the type that stands for any function pointer.
    const auto entry
        = reinterpret_cast<void (*)()>(::GetProcAddress(static_cast<HMODULE>(library), name));
    return reinterpret_cast<Fn>(entry);
}

std::filesystem::path ExecutablePath()
{
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return {};
    return std::filesystem::path(buffer, buffer + length);
}

void SetVariable(const char *name, const char *value)
{
    ::_putenv_s(name, value);
}
#else
constexpr const char *kLibraryFile = "POS.so";

void *Open(const std::string &path, std::string &reason)
{
    // A bare file name is a file in the working directory, not a name for
    // the loader to look up on its search path.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    ::dlerror();
    void *library = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char *text = ::dlerror();
        reason = text ? text : "";
        // dlerror names the file first; the message names it already.
        const std::string prefix = file + ": ";
        if (reason.compare(0, prefix.size(), prefix) == 0)
            reason.erase(0, prefix.size());
    }
    return library;
}

template<typename Fn>
Fn Resolve(void *library, const char *name)
{
    return reinterpret_cast<Fn>(::dlsym(library, name));
}

std::filesystem::path ExecutablePath()
{
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
}

void SetVariable(const char *name, const char *value)
{
    ::setenv(name, value, 1);
}
#endif

[[maybe_unused]] bool IsSet(const char *name)
{
    const char *value = std::getenv(name);
    return value && *value;
}

std::string Utf8(const std::filesystem::path &path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace

Result<GuideLibrary> LoadGuide(const std::string &path)
{
    const auto refuse = [&path](int id, std::vector<MessageArg> args, std::string detail = {}) {
        args.insert(args.begin(), path);
        return Diagnostic{.id = id, .args = std::move(args), .detail = std::move(detail)};
    };
    std::string reason;
    void *library = Open(path, reason);
    if (!library)
        return refuse(sid::GuideCannotLoad, {}, reason);

    GuideLibrary guide;
    guide.getGuideId = Resolve<decltype(guide.getGuideId)>(library, "GetGuideID");
    guide.instruction = Resolve<decltype(guide.instruction)>(library, "Instruction");
    guide.modify = Resolve<decltype(guide.modify)>(library, "ModifyPOS");
    for (const auto &[entry, name] : {std::pair{bool(guide.getGuideId), "GetGuideID"},
                                      std::pair{bool(guide.instruction), "Instruction"},
                                      std::pair{bool(guide.modify), "ModifyPOS"}})
        if (!entry)
            return refuse(sid::GuideNoExport, {std::string(name)});
    if (const std::int32_t id = guide.getGuideId(); id != kPosGuideId)
        return refuse(sid::GuideNotTheWizard, {std::int64_t{id}});
    return guide;
}

std::string DefaultGuidePath()
{
#if defined(POS_BUILT_GUIDE_PATH)
    {
        std::error_code error;
        if (std::filesystem::is_regular_file(POS_BUILT_GUIDE_PATH, error))
            return POS_BUILT_GUIDE_PATH;
    }
#endif
    const std::filesystem::path executable = ExecutablePath();
    if (executable.empty())
        return kLibraryFile;
    return Utf8(executable.parent_path() / kLibraryFile);
}

bool HasDisplay()
{
#if defined(_WIN32) || defined(__APPLE__)
    return true;
#else
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM");
#endif
}

void SetWizardLocale(Lang lang)
{
    const bool chinese = lang == Lang::Zh;
    const char *locale = chinese ? "zh_CN.UTF-8" : "en_US.UTF-8";
    SetVariable("LC_ALL", locale);
    SetVariable("LANG", locale);
    SetVariable("LANGUAGE", chinese ? "zh_CN" : "en_US");
}

} // namespace pos
