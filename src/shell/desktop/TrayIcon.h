// TrayIcon: the hidden form that owns the program's icon in the notification area.
//
// Update adds the icon, changes its picture or removes it; the form's caption is the
// icon's tip. Mouse activity on the icon is turned into mouse message numbers and
// passed by name to the callback object's TrayIconCallback, one at a time: a
// notification that arrives while a callback runs (the callback may pump events, for
// example while a pop-up menu is open) is dropped.
#pragma once

#include "NotificationArea.h"

#include "automation/Object.h"

#include <cstdint>
#include <memory>
#include <string>

namespace shell {

class TrayIcon {
public:
    // The tip holds at most this many characters of the caption.
    static constexpr int kTipLength = 63;

    // The form's load: the icon is not yet in the notification area.
    explicit TrayIcon(std::unique_ptr<NotificationArea> area);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    void SetCallback(vb::Ref<vb::Object> ob);
    // IconOn: show the icon with `img` (added the first time, changed afterwards).
    // Otherwise remove it; removing an icon that is not there does nothing.
    void Update(bool IconOn, const QIcon& img);
    // The form's unload: removes the icon.
    void unload();

    // The form's caption, which is the icon's tip; and the form's own icon.
    void setCaption(std::string caption) { caption_ = std::move(caption); }
    const std::string& caption() const { return caption_; }
    void setIcon(const QIcon& icon) { formIcon_ = icon; }
    const QIcon& icon() const { return formIcon_; }

    // One mouse notification: delivered to the callback object when it is a button
    // message (513 to 518) and no callback is running.
    void mouseMessage(std::int32_t message);

    bool iconAdded() const { return iconAdded_; }
    bool deliveringCallback() const { return delivering_; }
    std::int32_t lastMessage() const { return lastMessage_; }
    const IconRecord& record() const { return record_; }
    NotificationArea& area() { return *area_; }

private:
    std::unique_ptr<NotificationArea> area_;
    vb::Ref<vb::Object> callback_;
    std::string caption_;
    QIcon formIcon_;
    IconRecord record_;
    bool iconAdded_ = false;
    bool delivering_ = false;
    std::int32_t lastMessage_ = 0;
};

// The caption cut to the tip's length, whole characters only.
QString tipText(const std::string& caption);

} // namespace shell
