// PluginTable: the setup dialog's in-memory table of known plug-ins.
//
// Rows are typed; the table can be narrowed to the rows whose column equals a value and
// ordered by a column. Values are compared as they are, so a plug-in name containing a
// quote needs no escaping.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace services {

struct PluginRow {
    std::string Interface; // the plug-in's name
    std::string Filename;  // its name in the setup: "Audrey" for hspi_Audrey.so, or its key in [Plugins]
    bool Selected = false; // True: excluded from the menu search
};

class PluginTable {
public:
    enum class Column { Interface, Filename, Selected };
    using Value = std::variant<std::string, bool>;

    void addRow(PluginRow row);

    // Narrows the view to the rows whose column equals the value (text exactly).
    void filter(Column column, const Value& value);
    void removeFilter();
    // Orders the current view by a column (text in ordinal order, False before True).
    void sort(Column column);

    // The rows of the current view, in view order.
    std::vector<PluginRow*> view();
    bool viewEmpty() const { return view_.empty(); }
    const std::vector<PluginRow>& rows() const { return rows_; }

private:
    bool matches(const PluginRow& row) const;

    std::vector<PluginRow> rows_;
    std::vector<std::size_t> view_;
    std::optional<std::pair<Column, Value>> filter_;
};

} // namespace services
