#pragma once

#include <deque>
#include <functional>

/// Runs the window's event handlers one at a time: an event that a running handler causes (the
/// focus leaving a field it disables, say) is handled once that handler has ended.
class Dispatcher
{
public:
    void run(std::function<void()> handler);
    bool busy() const { return running; }
    /// Called each time the handlers have run to their end and the window is idle again.
    void setIdleHandler(std::function<void()> handler) { idle = std::move(handler); }

private:
    bool running = false;
    std::deque<std::function<void()>> waiting;
    std::function<void()> idle;
};
