#include "AudreySelection.h"

#include <vector>

namespace remote {

void AudreySelection::fillNames(const std::string& audreyNames)
{
    std::vector<std::string> names;
    if (audreyNames.empty()) {
        names.emplace_back();
    } else {
        std::size_t start = 0;
        while (true) {
            const std::size_t comma = audreyNames.find(',', start);
            names.push_back(audreyNames.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
    }
    names.resize(kBoxes);
    namesFilled_ = true;
    for (int k = 0; k < kBoxes; ++k) {
        Box& b = boxes_[k];
        b.caption = names[k];
        // The first box stands for the default Audrey: it is usable only with a name.
        const bool usable = k > 0 || !names[0].empty();
        b.enabled = usable;
        b.menuVisible = usable;
    }
    // Boxes without a name are unticked. Done one by one through the tick rule, the
    // first of them would untick "All Audreys" and with it every named box, so a tray
    // opening after "All Audreys" would lose every tick; the names' ticks must survive,
    // so the boxes are unticked together and "All Audreys" is then brought in line.
    for (Box& b : boxes_) {
        if (b.caption.empty() && b.ticked) {
            b.ticked = false;
            b.menuChecked = false;
        }
    }
    bool every = true;
    for (const Box& b : boxes_) {
        if (b.enabled && !b.ticked)
            every = false;
    }
    allTicked_ = every;
    allMenuChecked_ = every;
    notify();
}

void AudreySelection::setTicked(int index, bool ticked)
{
    Box& b = boxes_.at(static_cast<std::size_t>(index));
    if (b.ticked == ticked)
        return; // a box reports a change only when its value changes
    b.ticked = ticked;
    tickChanged(index);
    notify();
}

void AudreySelection::tickChanged(int index)
{
    if (updatingAll_)
        return;
    Box& b = boxes_[index];
    b.menuChecked = b.ticked;
    bool every = true;
    for (const Box& other : boxes_) {
        if (other.enabled && !other.ticked)
            every = false;
    }
    allMenuChecked_ = every;
    if (allTicked_ != every) {
        allTicked_ = every;
        allChanged();
    }
}

void AudreySelection::setAllTicked(bool ticked)
{
    if (allTicked_ == ticked)
        return;
    allTicked_ = ticked;
    allChanged();
    notify();
}

void AudreySelection::allChanged()
{
    // The "All Audreys" menu item follows its box, so its check mark never disagrees.
    allMenuChecked_ = allTicked_;
    updatingAll_ = true;
    for (Box& b : boxes_) {
        if (!b.enabled)
            continue;
        b.ticked = allTicked_;
        b.menuChecked = allTicked_;
    }
    updatingAll_ = false;
}

void AudreySelection::toggleFromMenu(int index)
{
    setTicked(index, !boxes_.at(static_cast<std::size_t>(index)).ticked);
}

void AudreySelection::toggleAllFromMenu()
{
    setAllTicked(!allTicked_);
}

std::string AudreySelection::WhichAudries()
{
    selected_.clear();
    for (const Box& b : boxes_) {
        if (b.ticked && !b.caption.empty()) {
            if (!selected_.empty())
                selected_ += ',';
            selected_ += b.caption;
        }
    }
    if (selected_.empty())
        selected_ = boxes_[0].caption;
    return selected_;
}

void AudreySelection::notify()
{
    if (changed)
        changed();
}

} // namespace remote
