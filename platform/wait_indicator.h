#pragma once

#include <utility>

// Long operations show the application's wait window around their work. The application installs
// the window; without one (tests, command-line tools) the scope does nothing.
class WaitIndicator {
public:
    virtual ~WaitIndicator() = default;
    virtual void showWait() = 0;   // show and let it paint
    virtual void hideWait() = 0;   // hide and let the screen repaint
};

void setWaitIndicator(WaitIndicator* indicator);
WaitIndicator* waitIndicator();

// Shows the wait window for its lifetime; it is hidden again also when the work throws.
class WaitScope {
public:
    WaitScope();
    ~WaitScope();
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;
};

template <class F>
decltype(auto) withWait(F&& work)
{
    WaitScope scope;
    return std::forward<F>(work)();
}
