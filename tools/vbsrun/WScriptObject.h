// The WScript object of vbsrun: Echo, Arguments, Quit, Sleep, StdIn/StdOut/StdErr,
// ScriptName and ScriptFullName, as Windows Script Host offers them.
#pragma once

#include "automation/MemberTable.h"
#include "vbscript/base/LibraryState.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vbsrun {

// Thrown by WScript.Quit: ends the script at once with an exit code.
struct QuitRequest {
    int exitCode;
};

class TextStreamObject final : public vb::Dispatch<TextStreamObject> {
public:
    static const vb::MemberTable<TextStreamObject>& members();
    explicit TextStreamObject(std::FILE* file) : file_(file) { }
    void Write(const std::string& text);
    void WriteLine(vb::Optional<std::string> text);
    void WriteBlankLines(std::int32_t count);
    std::string ReadLine();
    std::string ReadAll();
    bool AtEndOfStream();
    void Close() { }

private:
    std::FILE* file_;
};

class ArgumentsObject final : public vb::Dispatch<ArgumentsObject> {
public:
    static const vb::MemberTable<ArgumentsObject>& members();
    explicit ArgumentsObject(std::vector<std::string> args) : args_(std::move(args)) { }
    std::string Item(std::int32_t index) const;
    std::int32_t Count() const { return static_cast<std::int32_t>(args_.size()); }
    std::unique_ptr<vb::Enumerator> enumerate() override;

private:
    std::vector<std::string> args_;
};

class WScriptObject final : public vb::Dispatch<WScriptObject> {
public:
    static const vb::MemberTable<WScriptObject>& members();
    // CreateObject makes the classes `library`'s engine knows; the engine outlives the object.
    WScriptObject(std::string scriptPath, std::vector<std::string> args, const vbscript::LibraryState& library);

    static vb::Variant Echo(WScriptObject& self, vb::Args args);
    static vb::Variant Quit(WScriptObject& self, vb::Args args);
    vb::Variant Arguments() const { return vb::Variant(vb::Ref<vb::Object>(arguments_)); }
    std::string ScriptName() const;
    std::string ScriptFullName() const { return fullName_; }
    std::string Name() const { return "Windows Script Host"; }
    std::string Version() const { return "5.8"; }
    std::string Path() const;
    void Sleep(std::int32_t milliseconds);
    vb::Variant StdOut() const { return vb::Variant(vb::Ref<vb::Object>(stdOut_)); }
    vb::Variant StdErr() const { return vb::Variant(vb::Ref<vb::Object>(stdErr_)); }
    vb::Variant StdIn() const { return vb::Variant(vb::Ref<vb::Object>(stdIn_)); }
    vb::Variant CreateObject(const std::string& progId);

private:
    const vbscript::LibraryState& library_;
    std::string fullName_;
    vb::Ref<ArgumentsObject> arguments_;
    vb::Ref<TextStreamObject> stdOut_;
    vb::Ref<TextStreamObject> stdErr_;
    vb::Ref<TextStreamObject> stdIn_;
};

} // namespace vbsrun
