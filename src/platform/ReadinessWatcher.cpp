#include "ReadinessWatcher.h"

#include <QSocketNotifier>

namespace platform {

ReadinessWatcher::ReadinessWatcher(int descriptor, std::function<void()> onReadable)
    : notifier_(std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read))
    , onReadable_(std::move(onReadable))
{
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        if (onReadable_)
            onReadable_();
    });
}

ReadinessWatcher::~ReadinessWatcher()
{
    notifier_->setEnabled(false);
}

} // namespace platform
