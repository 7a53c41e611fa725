// IniTool: the program's reader and writer of INI files.
//
// One instance holds a whole file in memory as a flat, insertion-ordered map:
// section entries ("GENERAL" -> "General", the name as first seen) and key entries
// (section GENERAL, key DEBUGLOG -> value exactly as read). Names match without regard
// to case and are written back upper-cased and sorted. Comments, blank lines and file
// order are not kept. The first occurrence of a section or key wins when loading.
// Section and key are kept apart, so any character (a "~" too) may appear in a name.
//
// A file that exists but cannot be read is not taken for a missing one: Load raises
// the error, and the store refuses to save over that file. CR and LF in a section, key
// or value are written as blanks, so no value can add lines; names given to Read,
// RemoveKey and Keys are mapped the same way, so what was written reads back.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace services {

struct IniState;

class IniTool {
public:
    // Where IniTool reports what it cannot read or write: (type, text). The host sets
    // its program's logger once its host object exists; until then nothing is reported.
    using Logger = std::function<void(std::string_view type, std::string_view text)>;

    // A store of the program whose INI state it is given (it outlives the store): what
    // it cannot read or write goes to that state's logger, and its save failures are
    // counted there.
    explicit IniTool(IniState& state)
        : state_(&state)
    {
    }

    // Empties the store, remembers the path and reads the file when it exists. Raises
    // vb::Error when the file exists but cannot be read.
    void Load(const std::string& path);
    void DumpHashTable() { }
    // The stored value, or `defaultValue` when the key is absent or its value is empty.
    std::string Read(std::string_view header, std::string_view key, std::string_view defaultValue) const;
    void WriteKey(std::string_view header, std::string_view key, std::string_view value);
    void RemoveKey(std::string_view header, std::string_view key);
    // Removes every key of the section; the section entry itself stays.
    void RemoveSection(std::string_view header);
    // Section names as first seen, in first-seen order (empty when there is none).
    std::vector<std::string> Headers() const;
    // Upper-case key names of a section in insertion order; one empty name when it has none.
    std::vector<std::string> Keys(std::string_view header) const;
    void Clear();
    // Writes the store to the path of the last Load, after copying the old file to
    // path + "_bck" (unless it is empty). Both are written to a temporary file that is renamed over the old
    // one (keeping the file's mode, owner and group, and a symbolic link a link).
    // Failures are reported ("IniTool Save " + path, and the first of an episode as a
    // notice, SaveEpisodes), never raised; the result says whether the file was
    // written and lastSaveError() why not.
    bool Save();
    // The file's text as Save writes it.
    std::string fileText() const;
    const std::string& lastSaveError() const { return saveError_; }

    const std::string& path() const { return path_; }
    std::size_t keyCount() const;

private:
    // A section entry (key empty, value = the name as first seen) or a key entry; the
    // header and key are upper-cased.
    struct Entry {
        std::string header;
        std::string key;
        std::string value;
        bool section = false;
        bool live = true;
    };
    static std::string sectionIndex(std::string_view upperHeader);
    static std::string keyIndex(std::string_view upperHeader, std::string_view upperKey);
    const Entry* find(const std::string& index) const;
    void add(std::string index, Entry entry);
    void erase(const std::string& index);
    void addSection(std::string_view name);

    IniState* state_;
    std::string path_;
    std::vector<Entry> entries_;
    std::unordered_map<std::string, std::size_t> index_;
    bool unreadable_ = false;
    std::string saveError_;
};

} // namespace services
