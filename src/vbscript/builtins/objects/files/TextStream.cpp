#include "TextStream.h"

#include "FilePaths.h"

#include "vbscript/text/UnicodeText.h"

#include "automation/Error.h"
#include "automation/Utf16Text.h"

#include <iterator>

namespace vbscript::objects::files {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kUtf16Mark = "\xFF\xFE";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string fromUtf16(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        // Each unit on its own: a surrogate pair stays two units, as strings hold it.
        const char32_t unit = static_cast<unsigned char>(bytes[i]) | (static_cast<char32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8);
        text::appendCharacter(out, unit);
    }
    return out;
}

void appendUnit(std::string& out, char32_t unit)
{
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>((unit >> 8) & 0xFF);
}

std::string toUtf16(std::string_view s)
{
    std::string out;
    out.reserve(s.size() * 2);
    for (std::size_t i = 0; i < s.size();) {
        const text::Decoded d = text::decodeAt(s, i);
        char32_t c = d.code;
        if (d.size == 1 && c >= 0x80)
            c = text::fromAnsi(static_cast<std::uint8_t>(c));
        if (c > 0xFFFF) {
            appendUnit(out, 0xD800 + ((c - 0x10000) >> 10));
            appendUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            appendUnit(out, c);
        }
        i += d.size;
    }
    return out;
}

// Checks what opening `path` needs and raises the error a failure would give.
void checkOpenable(const fs::path& path, TextStream::Mode mode, bool create)
{
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (fs::is_directory(st))
        vb::raiseError(vb::err::PermissionDenied);
    if (fs::exists(st))
        return;
    const fs::path parent = path.has_parent_path() ? path.parent_path() : fs::path(".");
    if (!fs::is_directory(parent, ec))
        vb::raiseError(vb::err::PathNotFound);
    if (mode == TextStream::Mode::Reading || !create)
        vb::raiseError(vb::err::FileNotFound);
}

} // namespace

const vb::MemberTable<TextStream>& TextStream::members()
{
    static const vb::MemberTable<TextStream> table("TextStream", {
        vb::get<&TextStream::AtEndOfLine>("AtEndOfLine"),
        vb::get<&TextStream::AtEndOfStream>("AtEndOfStream"),
        vb::get<&TextStream::Column>("Column"),
        vb::get<&TextStream::Line>("Line"),
        vb::method<&TextStream::Close>("Close"),
        vb::method<&TextStream::Read>("Read"),
        vb::method<&TextStream::ReadAll>("ReadAll"),
        vb::method<&TextStream::ReadLine>("ReadLine"),
        vb::method<&TextStream::Skip>("Skip"),
        vb::method<&TextStream::SkipLine>("SkipLine"),
        vb::method<&TextStream::Write>("Write"),
        vb::method<&TextStream::WriteBlankLines>("WriteBlankLines"),
        vb::method<&TextStream::WriteLine>("WriteLine"),
    });
    return table;
}

vb::Ref<TextStream> TextStream::open(const fs::path& path, Mode mode, Format format, bool create)
{
    checkOpenable(path, mode, create);
    std::error_code ec;
    const bool existed = fs::exists(path, ec);
    const std::uintmax_t oldSize = existed ? fs::file_size(path, ec) : 0;

    if (mode == Mode::Reading) {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            vb::raiseError(vb::err::PermissionDenied);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        bool unicode = format == Format::Unicode;
        if (format == Format::SystemDefault)
            unicode = bytes.starts_with(kUtf16Mark);
        vb::Ref<TextStream> stream(new TextStream(mode, unicode));
        if (unicode) {
            stream->content_ = fromUtf16(bytes.starts_with(kUtf16Mark) ? std::string_view(bytes).substr(2) : std::string_view(bytes));
        } else {
            if (bytes.starts_with(kUtf8Mark))
                bytes.erase(0, kUtf8Mark.size());
            stream->content_ = vb::utf16::hasNoFourByteSequences(bytes) ? std::move(bytes) : vb::utf16::toUnits(bytes);
        }
        return stream;
    }

    bool unicode = format == Format::Unicode;
    if (format == Format::SystemDefault && mode == Mode::Appending && existed) {
        std::ifstream in(path, std::ios::binary);
        char mark[2] = {};
        unicode = in.read(mark, 2) && std::string_view(mark, 2) == kUtf16Mark;
    }
    vb::Ref<TextStream> stream(new TextStream(mode, unicode));
    stream->out_.open(path, std::ios::binary | (mode == Mode::Appending ? std::ios::app : std::ios::trunc));
    if (!stream->out_)
        vb::raiseError(vb::err::PermissionDenied);
    if (unicode && (mode == Mode::Writing || oldSize == 0))
        stream->out_ << kUtf16Mark;
    stream->out_.flush();
    return stream;
}

void TextStream::requireReading()
{
    if (closed_)
        vb::raiseError(vb::err::BadFileNameOrNumber);
    if (mode_ != Mode::Reading)
        vb::raiseError(vb::err::BadFileMode);
}

void TextStream::requireWriting()
{
    if (closed_)
        vb::raiseError(vb::err::BadFileNameOrNumber);
    if (mode_ == Mode::Reading)
        vb::raiseError(vb::err::BadFileMode);
}

void TextStream::requireMore()
{
    requireReading();
    if (position_ >= content_.size())
        vb::raiseError(vb::err::InputPastEndOfFile);
}

void TextStream::track(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '\n') {
            ++line_;
            column_ = 1;
        } else {
            ++column_;
        }
        i += text::decodeAt(text, i).size;
    }
}

std::string TextStream::take(std::size_t bytes)
{
    std::string out = content_.substr(position_, bytes);
    position_ += out.size();
    track(out);
    return out;
}

bool TextStream::AtEndOfStream()
{
    requireReading();
    return position_ >= content_.size();
}

bool TextStream::AtEndOfLine()
{
    requireReading();
    return position_ >= content_.size() || content_[position_] == '\r' || content_[position_] == '\n';
}

void TextStream::Close()
{
    if (out_.is_open())
        out_.close();
    closed_ = true;
    content_.clear();
}

std::string TextStream::Read(std::int32_t characters)
{
    if (characters < 0)
        vb::raiseError(vb::err::InvalidProcedureCall);
    requireReading();
    if (characters == 0)
        return {};
    requireMore();
    return take(text::advance(content_, position_, static_cast<std::size_t>(characters)) - position_);
}

std::string TextStream::ReadAll()
{
    requireMore();
    return take(content_.size() - position_);
}

std::string TextStream::ReadLine()
{
    requireMore();
    const std::size_t end = content_.find_first_of("\r\n", position_);
    if (end == std::string::npos)
        return take(content_.size() - position_);
    std::string line = content_.substr(position_, end - position_);
    position_ = end + (content_.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    ++line_;
    column_ = 1;
    return line;
}

void TextStream::Skip(std::int32_t characters)
{
    Read(characters);
}

void TextStream::SkipLine()
{
    ReadLine();
}

void TextStream::writeOut(const std::string& text)
{
    requireWriting();
    out_ << (unicode_ ? toUtf16(text) : vb::utf16::toWellFormed(text));
    out_.flush();
    if (!out_)
        vb::raiseError(vb::err::DeviceIOError);
    track(text);
}

void TextStream::Write(const std::string& text)
{
    writeOut(text);
}

void TextStream::WriteLine(vb::Optional<std::string> text)
{
    writeOut(text.value_or(std::string()) + "\r\n");
}

void TextStream::WriteBlankLines(std::int32_t lines)
{
    if (lines < 0)
        vb::raiseError(vb::err::InvalidProcedureCall);
    std::string text;
    for (std::int32_t i = 0; i < lines; ++i)
        text += "\r\n";
    writeOut(text);
}

} // namespace vbscript::objects::files
