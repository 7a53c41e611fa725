#include "PluginTable.h"

#include <algorithm>

namespace services {

void PluginTable::addRow(PluginRow row)
{
    rows_.push_back(std::move(row));
    if (matches(rows_.back()))
        view_.push_back(rows_.size() - 1);
}

bool PluginTable::matches(const PluginRow& row) const
{
    if (!filter_)
        return true;
    const auto& [column, value] = *filter_;
    switch (column) {
    case Column::Interface: return std::holds_alternative<std::string>(value) && row.Interface == std::get<std::string>(value);
    case Column::Filename: return std::holds_alternative<std::string>(value) && row.Filename == std::get<std::string>(value);
    case Column::Selected: return std::holds_alternative<bool>(value) && row.Selected == std::get<bool>(value);
    }
    return false;
}

void PluginTable::filter(Column column, const Value& value)
{
    filter_ = std::make_pair(column, value);
    view_.clear();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (matches(rows_[i]))
            view_.push_back(i);
    }
}

void PluginTable::removeFilter()
{
    filter_.reset();
    view_.clear();
    for (std::size_t i = 0; i < rows_.size(); ++i)
        view_.push_back(i);
}

void PluginTable::sort(Column column)
{
    std::stable_sort(view_.begin(), view_.end(), [&](std::size_t a, std::size_t b) {
        const PluginRow& x = rows_[a];
        const PluginRow& y = rows_[b];
        switch (column) {
        case Column::Interface: return x.Interface < y.Interface;
        case Column::Filename: return x.Filename < y.Filename;
        case Column::Selected: return x.Selected < y.Selected;
        }
        return false;
    });
}

std::vector<PluginRow*> PluginTable::view()
{
    std::vector<PluginRow*> out;
    out.reserve(view_.size());
    for (std::size_t i : view_)
        out.push_back(&rows_[i]);
    return out;
}

} // namespace services
