// Starts a program and prints how many milliseconds after the start its window of the given name
// was mapped and first drawn into, as seen by the X server (DAMAGE extension), then ends it.
// Measured from outside, so a baseline and Kestrune are timed the same way.
//
//   first_paint NAME TIMEOUT_MS -- PROGRAM [ARGS...]
//
// Prints "<map ms> <paint ms>"; exits 1 when the window was not drawn in time.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The few DAMAGE calls we need, taken from the runtime library so that no development package is
// required for this probe.
using DamageId = XID;
constexpr int ReportNonEmpty = 3;
constexpr int DamageNotifyOffset = 0;
using QueryExtensionFn = Bool (*)(Display*, int*, int*);
using QueryVersionFn = Status (*)(Display*, int*, int*);
using CreateFn = DamageId (*)(Display*, Drawable, int);

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

int ignoreErrors(Display*, XErrorEvent*)
{
    return 0; // a window may be gone before we look at it
}

std::string windowName(Display* display, Window window)
{
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    for (const Atom property : {netName, Atom(XA_WM_NAME)}) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        const Atom wanted = property == netName ? utf8 : AnyPropertyType;
        if (XGetWindowProperty(display, window, property, 0, 1024, False, wanted, &type, &format, &count, &after,
                               &data) == Success &&
            data) {
            std::string name(reinterpret_cast<char*>(data), count);
            XFree(data);
            if (!name.empty())
                return name;
        }
    }
    return {};
}

// A tray icon's window carries the program's name too, and draws itself once a tray host takes it
// in, sometimes before the main window: a window no larger than a tray icon is not the one awaited.
bool trayIconSized(Display* display, Window window)
{
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    return XGetGeometry(display, window, &root, &x, &y, &width, &height, &border, &depth) && width <= 64 &&
           height <= 64;
}

void endChild(pid_t child)
{
    kill(child, SIGTERM);
    for (int i = 0; i < 300; ++i) {
        if (waitpid(child, nullptr, WNOHANG) == child)
            return;
        usleep(10000);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 5 || std::strcmp(argv[3], "--") != 0) {
        std::fprintf(stderr, "usage: %s NAME TIMEOUT_MS -- PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const std::string wantedName = argv[1];
    const double timeoutMs = std::atof(argv[2]);

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "first_paint: cannot open the display\n");
        return 2;
    }
    void* library = dlopen("libXdamage.so.1", RTLD_NOW);
    if (!library) {
        std::fprintf(stderr, "first_paint: %s\n", dlerror());
        return 2;
    }
    auto queryExtension = reinterpret_cast<QueryExtensionFn>(dlsym(library, "XDamageQueryExtension"));
    auto queryVersion = reinterpret_cast<QueryVersionFn>(dlsym(library, "XDamageQueryVersion"));
    auto createDamage = reinterpret_cast<CreateFn>(dlsym(library, "XDamageCreate"));
    int eventBase = 0;
    int errorBase = 0;
    int major = 1;
    int minor = 1;
    if (!queryExtension || !queryVersion || !createDamage || !queryExtension(display, &eventBase, &errorBase) ||
        !queryVersion(display, &major, &minor)) {
        std::fprintf(stderr, "first_paint: the X server has no DAMAGE extension\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const double start = nowMs();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[4], argv + 4);
        std::perror("first_paint: exec");
        _exit(127);
    }

    double mappedMs = -1;
    double paintedMs = -1;
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    while (paintedMs < 0) {
        const double left = timeoutMs - (nowMs() - start);
        if (left <= 0 || waitpid(child, nullptr, WNOHANG) == child)
            break;
        if (!XPending(display)) {
            poll(&fd, 1, int(left) + 1);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        const double at = nowMs() - start;
        if (event.type == CreateNotify && event.xcreatewindow.parent == root) {
            // Watch every new top-level window from its creation, before anything can draw into it.
            createDamage(display, event.xcreatewindow.window, ReportNonEmpty);
            XFlush(display);
        } else if (event.type == MapNotify && mappedMs < 0 && windowName(display, event.xmap.window) == wantedName) {
            mappedMs = at;
        } else if (event.type == eventBase + DamageNotifyOffset &&
                   windowName(display, event.xany.window) == wantedName && !trayIconSized(display, event.xany.window)) {
            paintedMs = at;
        }
    }
    endChild(child);
    XCloseDisplay(display);
    if (paintedMs < 0) {
        std::fprintf(stderr, "first_paint: no window named \"%s\" was drawn within %.0f ms\n", wantedName.c_str(),
                     timeoutMs);
        return 1;
    }
    std::printf("%.1f %.1f\n", mappedMs, paintedMs);
    return 0;
}
