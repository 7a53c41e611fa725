// Every named constant of VBScript. Numbers are Integers (Longs when larger, and
// the colours, which are RGB Longs, and vbMsgBoxHelpButton), texts Strings.
#include "Families.h"

#include <vector>

namespace vbscript::builtins {

namespace {

std::vector<BuiltinConstant> makeConstants()
{
    // Numbers are Integers when they fit in 16 bits, as VBScript's own constants are.
    auto n = [](std::string_view name, std::int32_t value) {
        if (value >= -32768 && value <= 32767)
            return BuiltinConstant{name, vb::Variant(static_cast<std::int16_t>(value))};
        return BuiltinConstant{name, vb::Variant(value)};
    };
    // Longs whatever their size: the colours and a few flags declared as Longs.
    auto colour = [](std::string_view name, std::int32_t value) { return BuiltinConstant{name, vb::Variant(value)}; };
    auto wide = colour;
    auto s = [](std::string_view name, std::string_view value) { return BuiltinConstant{name, vb::Variant(value)}; };
    return {
        // Strings.
        s("vbCr", "\r"),
        s("vbCrLf", "\r\n"),
        s("vbFormFeed", "\f"),
        s("vbLf", "\n"),
        s("vbNewLine", "\r\n"),
        s("vbNullChar", std::string_view("\0", 1)),
        s("vbNullString", ""),
        s("vbTab", "\t"),
        s("vbVerticalTab", "\v"),
        // Errors.
        n("vbObjectError", static_cast<std::int32_t>(0x80040000u)),
        // Comparison.
        n("vbBinaryCompare", 0),
        n("vbTextCompare", 1),
        n("vbDatabaseCompare", 2),
        // VarType results.
        n("vbEmpty", 0),
        n("vbNull", 1),
        n("vbInteger", 2),
        n("vbLong", 3),
        n("vbSingle", 4),
        n("vbDouble", 5),
        n("vbCurrency", 6),
        n("vbDate", 7),
        n("vbString", 8),
        n("vbObject", 9),
        n("vbError", 10),
        n("vbBoolean", 11),
        n("vbVariant", 12),
        n("vbDataObject", 13),
        n("vbDecimal", 14),
        n("vbByte", 17),
        n("vbArray", 8192),
        // MsgBox buttons, icons, defaults and modes.
        n("vbOKOnly", 0),
        n("vbOKCancel", 1),
        n("vbAbortRetryIgnore", 2),
        n("vbYesNoCancel", 3),
        n("vbYesNo", 4),
        n("vbRetryCancel", 5),
        n("vbCritical", 16),
        n("vbQuestion", 32),
        n("vbExclamation", 48),
        n("vbInformation", 64),
        n("vbDefaultButton1", 0),
        n("vbDefaultButton2", 256),
        n("vbDefaultButton3", 512),
        n("vbDefaultButton4", 768),
        n("vbApplicationModal", 0),
        n("vbSystemModal", 4096),
        wide("vbMsgBoxHelpButton", 16384),
        n("vbMsgBoxSetForeground", 65536),
        n("vbMsgBoxRight", 524288),
        n("vbMsgBoxRtlReading", 1048576),
        // MsgBox results.
        n("vbOK", 1),
        n("vbCancel", 2),
        n("vbAbort", 3),
        n("vbRetry", 4),
        n("vbIgnore", 5),
        n("vbYes", 6),
        n("vbNo", 7),
        // Days of the week and the first week of the year.
        n("vbUseSystemDayOfWeek", 0),
        n("vbSunday", 1),
        n("vbMonday", 2),
        n("vbTuesday", 3),
        n("vbWednesday", 4),
        n("vbThursday", 5),
        n("vbFriday", 6),
        n("vbSaturday", 7),
        n("vbUseSystem", 0),
        n("vbFirstJan1", 1),
        n("vbFirstFourDays", 2),
        n("vbFirstFullWeek", 3),
        // FormatDateTime.
        n("vbGeneralDate", 0),
        n("vbLongDate", 1),
        n("vbShortDate", 2),
        n("vbLongTime", 3),
        n("vbShortTime", 4),
        // Tristate.
        n("vbUseDefault", -2),
        n("vbTrue", -1),
        n("vbFalse", 0),
        // Colours.
        colour("vbBlack", 0x000000),
        colour("vbRed", 0x0000FF),
        colour("vbGreen", 0x00FF00),
        colour("vbYellow", 0x00FFFF),
        colour("vbBlue", 0xFF0000),
        colour("vbMagenta", 0xFF00FF),
        colour("vbCyan", 0xFFFF00),
        colour("vbWhite", 0xFFFFFF),
    };
}

} // namespace

std::span<const BuiltinConstant> constants()
{
    static const std::vector<BuiltinConstant> table = makeConstants();
    return table;
}

} // namespace vbscript::builtins
