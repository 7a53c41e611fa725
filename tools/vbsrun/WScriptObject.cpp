#include "WScriptObject.h"

#include "vbscript/builtins/Builtins.h"
#include "vbscript/text/Locale.h"

#include "automation/Conversions.h"
#include "automation/Error.h"
#include "automation/Utf16Text.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace vbsrun {

// --- Text streams

const vb::MemberTable<TextStreamObject>& TextStreamObject::members()
{
    static const vb::MemberTable<TextStreamObject> table("TextStream", {
        vb::method<&TextStreamObject::Write>("Write"),
        vb::method<&TextStreamObject::WriteLine>("WriteLine"),
        vb::method<&TextStreamObject::WriteBlankLines>("WriteBlankLines"),
        vb::method<&TextStreamObject::ReadLine>("ReadLine"),
        vb::method<&TextStreamObject::ReadAll>("ReadAll"),
        vb::get<&TextStreamObject::AtEndOfStream>("AtEndOfStream"),
        vb::method<&TextStreamObject::Close>("Close"),
    });
    return table;
}

void TextStreamObject::Write(const std::string& raw)
{
    // Surrogate pairs leave as well-formed UTF-8, lone surrogates as U+FFFD.
    const std::string text = vb::utf16::toWellFormed(raw);
    std::fwrite(text.data(), 1, text.size(), file_);
    std::fflush(file_);
}

void TextStreamObject::WriteLine(vb::Optional<std::string> text)
{
    Write((text ? *text : std::string()) + "\n");
}

void TextStreamObject::WriteBlankLines(std::int32_t count)
{
    for (std::int32_t i = 0; i < count; ++i)
        Write("\n");
}

std::string TextStreamObject::ReadLine()
{
    std::string line;
    int c;
    while ((c = std::fgetc(file_)) != EOF && c != '\n')
        line += static_cast<char>(c);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return vb::utf16::toUnits(line);
}

std::string TextStreamObject::ReadAll()
{
    std::string all;
    int c;
    while ((c = std::fgetc(file_)) != EOF)
        all += static_cast<char>(c);
    return vb::utf16::toUnits(all);
}

bool TextStreamObject::AtEndOfStream()
{
    const int c = std::fgetc(file_);
    if (c == EOF)
        return true;
    std::ungetc(c, file_);
    return false;
}

// --- Arguments

const vb::MemberTable<ArgumentsObject>& ArgumentsObject::members()
{
    static const vb::MemberTable<ArgumentsObject> table("IArguments", {
        vb::method<&ArgumentsObject::Item>("Item", vb::kDefault),
        vb::get<&ArgumentsObject::Count>("Count"),
        vb::get<&ArgumentsObject::Count>("Length"),
    });
    return table;
}

std::string ArgumentsObject::Item(std::int32_t index) const
{
    if (index < 0 || index >= Count())
        vb::raiseError(vb::err::SubscriptOutOfRange);
    return args_[static_cast<std::size_t>(index)];
}

namespace {
class ArgumentsWalk final : public vb::Enumerator {
public:
    explicit ArgumentsWalk(std::vector<std::string> items) : items_(std::move(items)) { }
    bool next(vb::Variant& out) override
    {
        if (pos_ >= items_.size())
            return false;
        out = vb::Variant(items_[pos_++]);
        return true;
    }

private:
    std::vector<std::string> items_;
    std::size_t pos_ = 0;
};
} // namespace

std::unique_ptr<vb::Enumerator> ArgumentsObject::enumerate()
{
    return std::make_unique<ArgumentsWalk>(args_);
}

// --- WScript

const vb::MemberTable<WScriptObject>& WScriptObject::members()
{
    static const vb::MemberTable<WScriptObject> table("Object", {
        vb::raw<WScriptObject>("Echo", vb::Method, &WScriptObject::Echo),
        vb::raw<WScriptObject>("Quit", vb::Method, &WScriptObject::Quit),
        vb::get<&WScriptObject::Arguments>("Arguments"),
        vb::get<&WScriptObject::ScriptName>("ScriptName"),
        vb::get<&WScriptObject::ScriptFullName>("ScriptFullName"),
        vb::get<&WScriptObject::Name>("Name", vb::kDefault),
        vb::get<&WScriptObject::Version>("Version"),
        vb::get<&WScriptObject::Path>("Path"),
        vb::get<&WScriptObject::ScriptFullName>("FullName"),
        vb::method<&WScriptObject::Sleep>("Sleep"),
        vb::get<&WScriptObject::StdOut>("StdOut"),
        vb::get<&WScriptObject::StdErr>("StdErr"),
        vb::get<&WScriptObject::StdIn>("StdIn"),
        vb::method<&WScriptObject::CreateObject>("CreateObject"),
    });
    return table;
}

WScriptObject::WScriptObject(std::string scriptPath, std::vector<std::string> args, const vbscript::LibraryState& library)
    : library_(library)
    , arguments_(vb::make<ArgumentsObject>(std::move(args)))
    , stdOut_(vb::make<TextStreamObject>(stdout))
    , stdErr_(vb::make<TextStreamObject>(stderr))
    , stdIn_(vb::make<TextStreamObject>(stdin))
{
    std::error_code ec;
    auto full = std::filesystem::absolute(scriptPath, ec);
    fullName_ = ec ? scriptPath : full.string();
}

vb::Variant WScriptObject::Echo(WScriptObject& self, vb::Args args)
{
    std::string line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i)
            line += ' ';
        if (!args[i].isNull() && !args[i].isMissing())
            line += vbscript::localeText(args[i]);
    }
    self.stdOut_->Write(line + "\n");
    return {};
}

vb::Variant WScriptObject::Quit(WScriptObject&, vb::Args args)
{
    const int code = args.isMissing(0) ? 0 : vb::CLng(args[0]);
    std::fflush(stdout);
    throw QuitRequest{code};
}

std::string WScriptObject::ScriptName() const
{
    return std::filesystem::path(fullName_).filename().string();
}

std::string WScriptObject::Path() const
{
    return std::filesystem::path(fullName_).parent_path().string();
}

void WScriptObject::Sleep(std::int32_t milliseconds)
{
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

vb::Variant WScriptObject::CreateObject(const std::string& progId)
{
    vb::Ref<vb::Object> obj = vbscript::createObjectByProgId(library_, progId);
    if (!obj)
        vb::raiseError(vb::err::CantCreateObject);
    return vb::Variant(obj);
}

} // namespace vbsrun
