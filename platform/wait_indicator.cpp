#include "wait_indicator.h"

namespace {
WaitIndicator* g_indicator = nullptr;
int g_depth = 0;
} // namespace

void setWaitIndicator(WaitIndicator* indicator) { g_indicator = indicator; }
WaitIndicator* waitIndicator() { return g_indicator; }

// Nested scopes (a page fetch inside a query) keep one window up until the outermost one ends.
WaitScope::WaitScope()
{
    if (g_depth++ == 0 && g_indicator)
        g_indicator->showWait();
}

WaitScope::~WaitScope()
{
    if (--g_depth == 0 && g_indicator)
        g_indicator->hideWait();
}
