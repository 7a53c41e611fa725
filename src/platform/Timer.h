// Timer: a millisecond timer that fires on the program's event loop, with the
// Interval/Enabled pair of a form's timer control.
//
// It runs while it is enabled and its interval is above 0. Setting the interval of a
// running timer restarts its count; enabling a timer that already runs does not.
#pragma once

#include <functional>
#include <memory>

class QTimer;

namespace platform {

class Timer {
public:
    explicit Timer(std::function<void()> onTick = {});
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void setOnTick(std::function<void()> onTick) { onTick_ = std::move(onTick); }
    void setInterval(int milliseconds);
    void setEnabled(bool enabled);
    int interval() const { return interval_; }
    bool enabled() const { return enabled_; }
    // True when the timer will fire (enabled with a positive interval).
    bool running() const;

private:
    void apply(bool restart);

    std::function<void()> onTick_;
    std::unique_ptr<QTimer> timer_;
    int interval_ = 0;
    bool enabled_ = false;
};

} // namespace platform
