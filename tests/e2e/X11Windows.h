#pragma once

// What a window manager sees of the windows on an X display: each mapped window's title
// (_NET_WM_NAME) and whether it carries an icon (_NET_WM_ICON). The X11 headers stay in the .cpp.

#include <string>
#include <vector>

namespace vorn::test {

struct X11Window {
    std::string title; // UTF-8
    bool hasIcon = false;
};

// Every window below the root that has a _NET_WM_NAME; empty when the display cannot be opened.
std::vector<X11Window> windowsWithTitles(const std::string& display);

} // namespace vorn::test
