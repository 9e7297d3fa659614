// CMessageFilter and CIdleHandler: what a window registers with the application's message loop.
#pragma once

#include <windows.h>

// Sees each message the loop takes before it is translated and dispatched; true when it has
// dealt with the message. It may retarget the message by changing msg.
class CMessageFilter {
public:
    virtual bool PreTranslateMessage(MSG& msg) = 0;

protected:
    ~CMessageFilter() = default;
};

// Runs once each time the loop's queue falls idle.
class CIdleHandler {
public:
    virtual void OnIdle() = 0;

protected:
    ~CIdleHandler() = default;
};
