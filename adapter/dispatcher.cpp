#include "dispatcher.h"

void Dispatcher::run(std::function<void()> handler)
{
    if (running) {
        waiting.push_back(std::move(handler));
        return;
    }
    running = true;
    handler();
    while (!waiting.empty()) {
        const std::function<void()> next = std::move(waiting.front());
        waiting.pop_front();
        next();
    }
    running = false;
    if (idle)
        idle();
}
