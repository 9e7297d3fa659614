// The edge of a thread procedure, as window procedures have one.
#pragma once

// Runs body; whatever it throws, out of memory or anything else, stops there instead of reaching
// std::terminate, and failed() reports it the way the thread reports its own failures. failed
// throws nothing.
template <class Body, class Failed> void CatchAtEdge(Body&& body, Failed&& failed) noexcept {
    try {
        body();
    } catch (...) {
        failed();
    }
}
