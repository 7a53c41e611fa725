#include "TrayIcon.h"

#include "TrayMessages.h"

#include "automation/Error.h"

namespace shell {

QString tipText(const std::string& caption)
{
    const QList<uint> characters = QString::fromStdString(caption).toUcs4();
    if (characters.size() <= TrayIcon::kTipLength)
        return QString::fromStdString(caption);
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), TrayIcon::kTipLength);
}

TrayIcon::TrayIcon(std::unique_ptr<NotificationArea> area)
    : area_(std::move(area))
{
    area_->activated = [this](QSystemTrayIcon::ActivationReason reason) {
        for (std::int32_t message : mouseMessagesFor(reason))
            mouseMessage(message);
    };
    area_->mouseMessage = [this](std::int32_t message) { mouseMessage(message); };
}

TrayIcon::~TrayIcon()
{
    area_->activated = nullptr;
    area_->mouseMessage = nullptr;
}

void TrayIcon::SetCallback(vb::Ref<vb::Object> ob)
{
    callback_ = std::move(ob);
}

void TrayIcon::Update(bool IconOn, const QIcon& img)
{
    if (IconOn) {
        record_.icon = img;
        record_.tip = tipText(caption_);
        area_->notify(iconAdded_ ? NotificationArea::Operation::Modify : NotificationArea::Operation::Add, record_);
        iconAdded_ = true;
        return;
    }
    if (iconAdded_)
        area_->notify(NotificationArea::Operation::Delete, record_);
    iconAdded_ = false;
}

void TrayIcon::unload()
{
    Update(false, QIcon());
}

void TrayIcon::mouseMessage(std::int32_t message)
{
    if (delivering_)
        return;
    delivering_ = true;
    lastMessage_ = message;
    if (message >= mouse::kLeftButtonDown && message <= mouse::kRightButtonDoubleClick && callback_) {
        // The callback object is asked by name; whatever it raises stays here.
        const vb::Ref<vb::Object> callback = callback_;
        vb::ignoreErrors([&] {
            vb::Variant msg(message);
            vb::ArgPack<1> args{vb::Variant()};
            args.byRef(0, msg);
            callback->invoke("TrayIconCallback", vb::Method, args);
        });
    }
    delivering_ = false;
}

} // namespace shell
