// TextStream: a text file opened for reading, writing or appending.
//
// A reading stream holds the file's text and walks it with ReadLine, Read, ReadAll,
// Skip and SkipLine (62 "Input past end of file" at the end). A writing stream writes
// each Write/WriteLine/WriteBlankLines through to the file at once, with CR LF line
// ends. Reading a writing stream or writing a reading one raises 54 "Bad file mode";
// a closed stream raises 52 "Bad file name or number". Unicode files are UTF-16LE with
// a byte-order mark; other files are bytes as the script's text holds them.
#pragma once

#include "automation/MemberTable.h"

#include <filesystem>
#include <fstream>

namespace vbscript::objects::files {

class TextStream final : public vb::Dispatch<TextStream> {
public:
    enum class Mode { Reading = 1, Writing = 2, Appending = 8 };
    // vbFalse (0) ASCII, vbTrue (-1) Unicode, vbUseDefault (-2) decided by the file's
    // byte-order mark.
    enum class Format { Ascii = 0, Unicode = -1, SystemDefault = -2 };

    static const vb::MemberTable<TextStream>& members();

    // Opens the file. Reading a missing file, or writing one without `create`, raises
    // 53; a missing folder 76; a folder or an unwritable file 70.
    static vb::Ref<TextStream> open(const std::filesystem::path& path, Mode mode, Format format, bool create);

    bool AtEndOfLine();
    bool AtEndOfStream();
    std::int32_t Column() const { return column_; }
    std::int32_t Line() const { return line_; }
    void Close();
    std::string Read(std::int32_t characters);
    std::string ReadAll();
    std::string ReadLine();
    void Skip(std::int32_t characters);
    void SkipLine();
    void Write(const std::string& text);
    void WriteBlankLines(std::int32_t lines);
    void WriteLine(vb::Optional<std::string> text);

private:
    TextStream(Mode mode, bool unicode) : mode_(mode), unicode_(unicode) { }

    void requireReading();
    void requireWriting();
    void requireMore();
    // Consumes `bytes` bytes of the text, keeping Line and Column.
    std::string take(std::size_t bytes);
    void track(std::string_view text);
    void writeOut(const std::string& text);

    Mode mode_;
    bool unicode_;
    bool closed_ = false;
    std::string content_; // reading: the whole text
    std::size_t position_ = 0;
    std::ofstream out_;
    std::int32_t line_ = 1;
    std::int32_t column_ = 1;
};

} // namespace vbscript::objects::files
