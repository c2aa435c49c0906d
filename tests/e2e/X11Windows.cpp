#include "X11Windows.h"

// X11 headers last: they define macros such as None and Bool.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <memory>

namespace vorn::test {

namespace {

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};

bool property(Display* display, Window window, Atom name, Atom type, std::string& value) {
    Atom actualType = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, name, 0, 1 << 20, False, type, &actualType, &format,
                           &items, &after, &data) != Success)
        return false;
    const bool found = data != nullptr && actualType != 0;
    if (found && format == 8)
        value.assign(reinterpret_cast<const char*>(data), items);
    if (data != nullptr)
        XFree(data);
    return found && items > 0;
}

void walk(Display* display, Window window, Atom wmName, Atom utf8, Atom wmIcon,
          std::vector<X11Window>& found) {
    std::string title;
    if (property(display, window, wmName, utf8, title)) {
        std::string icon;
        found.push_back({title, property(display, window, wmIcon, AnyPropertyType, icon)});
    }
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count) == 0)
        return;
    for (unsigned int i = 0; i < count; ++i)
        walk(display, children[i], wmName, utf8, wmIcon, found);
    if (children != nullptr)
        XFree(children);
}

} // namespace

std::vector<X11Window> windowsWithTitles(const std::string& name) {
    std::vector<X11Window> found;
    std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(name.c_str()));
    if (!display)
        return found;
    Display* d = display.get();
    walk(d, DefaultRootWindow(d), XInternAtom(d, "_NET_WM_NAME", False),
         XInternAtom(d, "UTF8_STRING", False), XInternAtom(d, "_NET_WM_ICON", False), found);
    return found;
}

} // namespace vorn::test
