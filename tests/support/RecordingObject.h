// An object that answers every member name and records each call: which member, how it
// was called and with which arguments. Properties can be given fixed values, and a
// member can be made to fail.
#pragma once

#include "automation/Conversions.h"
#include "automation/Error.h"
#include "automation/Object.h"
#include "automation/TextCompare.h"

#include <map>
#include <string>
#include <vector>

namespace testing_support {

class RecordingObject final : public vb::Object {
public:
    struct Call {
        std::string member;
        vb::CallKind kind;
        std::vector<vb::Variant> args;
        // The arguments as text, joined by "|", for compact assertions.
        std::string text() const
        {
            std::string out;
            for (std::size_t i = 0; i < args.size(); ++i) {
                if (i)
                    out += '|';
                out += args[i].isObject() ? std::string("<object>") : vb::CStr(args[i]);
            }
            return out;
        }
    };

    explicit RecordingObject(std::string typeName = "Recorder") : typeName_(std::move(typeName)) { }

    std::string_view typeName() const override { return typeName_; }
    vb::MemberId memberId(std::string_view name) const override
    {
        for (std::size_t i = 0; i < names_.size(); ++i) {
            if (vb::equalsIgnoreCase(names_[i], name))
                return static_cast<vb::MemberId>(i);
        }
        names_.emplace_back(name);
        return static_cast<vb::MemberId>(names_.size() - 1);
    }
    vb::Variant invoke(vb::MemberId id, vb::CallKind kind, vb::Args args) override
    {
        const std::string& name = names_.at(static_cast<std::size_t>(id));
        Call call{name, kind, {}};
        for (std::size_t i = 0; i < args.size(); ++i)
            call.args.push_back(args[i]);
        calls.push_back(call);
        for (const auto& [failing, number] : failures) {
            if (vb::equalsIgnoreCase(failing, name))
                vb::raiseError(number);
        }
        for (const auto& [prop, value] : values) {
            if (vb::equalsIgnoreCase(prop, name))
                return value;
        }
        return vb::Variant();
    }

    // Calls of one member, in order.
    std::vector<Call> callsOf(std::string_view member) const
    {
        std::vector<Call> out;
        for (const Call& c : calls) {
            if (vb::equalsIgnoreCase(c.member, member))
                out.push_back(c);
        }
        return out;
    }

    std::vector<Call> calls;
    std::map<std::string, vb::Variant> values;        // member -> result
    std::map<std::string, std::int32_t> failures;     // member -> error number raised

private:
    std::string typeName_;
    mutable std::vector<std::string> names_;
};

} // namespace testing_support
