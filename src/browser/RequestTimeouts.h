#pragma once

#include <chrono>

// The engine has no per-request time-out, so a load the view model starts is
// stopped when it has made no progress for this long. The one place these
// durations live; tests shorten them through BrowserViewModel.
struct RequestTimeouts
{
    // Typed, searched and bookmarked addresses.
    std::chrono::milliseconds load = std::chrono::seconds(30);
    // Proceeding past a warning: the user asked for this page explicitly.
    std::chrono::milliseconds proceed = std::chrono::seconds(60);
};
