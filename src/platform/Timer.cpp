#include "Timer.h"

#include <QTimer>

namespace platform {

Timer::Timer(std::function<void()> onTick)
    : onTick_(std::move(onTick))
    , timer_(std::make_unique<QTimer>())
{
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] {
        if (onTick_)
            onTick_();
    });
}

Timer::~Timer() = default;

void Timer::setInterval(int milliseconds)
{
    interval_ = milliseconds;
    apply(true);
}

void Timer::setEnabled(bool enabled)
{
    const bool changed = enabled != enabled_;
    enabled_ = enabled;
    apply(changed);
}

bool Timer::running() const
{
    return timer_->isActive();
}

void Timer::apply(bool restart)
{
    if (!enabled_ || interval_ <= 0) {
        timer_->stop();
        return;
    }
    if (restart || !timer_->isActive())
        timer_->start(interval_);
}

} // namespace platform
