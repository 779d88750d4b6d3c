// Starts a program on the X server of $DISPLAY and reports how long it takes until one of its
// windows shows a given colour on the screen: the time from exec to the first painted state, as
// a person would see it. The probe waits for the window to be mapped without polling, then reads
// the window's pixels back until the colour is there. It leaves the program running and prints
// its process id, so that the caller can go on measuring it.
//
// usage: orvane-firstpaint-probe RRGGBB PROGRAM [ARGUMENT...]
// output: "first_paint_ms=… map_ms=… pid=…"; exit code 1 when the colour did not show in time.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/select.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kGiveUpAfter = std::chrono::seconds(20);
constexpr auto kReadBackPause = std::chrono::microseconds(250);

// Windows vanish while they are looked at; that is no reason to stop.
int ignoreXError(Display *, XErrorEvent *) {
    return 0;
}

double millisecondsSince(Clock::time_point oStart) {
    return std::chrono::duration<double, std::milli>(Clock::now() - oStart).count();
}

bool showsColour(Display *poDisplay, Window oWindow, unsigned long uRgb) {
    Window oRoot;
    int iX, iY;
    unsigned uWidth = 0, uHeight = 0, uBorder, uDepth;
    if (!XGetGeometry(poDisplay, oWindow, &oRoot, &iX, &iY, &uWidth, &uHeight, &uBorder, &uDepth))
        return false;
    XImage *poImage = XGetImage(poDisplay, oWindow, 0, 0, uWidth, uHeight, AllPlanes, ZPixmap);
    if (poImage == nullptr)
        return false;
    bool bFound = false;
    for (unsigned y = 0; y < uHeight && !bFound; ++y) {
        for (unsigned x = 0; x < uWidth && !bFound; ++x) {
            bFound = (XGetPixel(poImage, int(x), int(y)) & 0xffffffUL) == uRgb;
        }
    }
    XDestroyImage(poImage);
    return bFound;
}

// Takes the mapped windows from the queued events; waits up to the pause for one when none is
// known yet.
void collectMappedWindows(Display *poDisplay, std::vector<Window> &oWindows) {
    if (oWindows.empty() && XPending(poDisplay) == 0) {
        fd_set oReadable;
        FD_ZERO(&oReadable);
        FD_SET(ConnectionNumber(poDisplay), &oReadable);
        timeval oPause{0, 50000};
        select(ConnectionNumber(poDisplay) + 1, &oReadable, nullptr, nullptr, &oPause);
    }
    while (XPending(poDisplay) > 0) {
        XEvent oEvent;
        XNextEvent(poDisplay, &oEvent);
        if (oEvent.type == MapNotify)
            oWindows.push_back(oEvent.xmap.window);
    }
}

pid_t startProgram(char **argv) {
    const pid_t iPid = fork();
    if (iPid == 0) {
        // The program outlives the probe; on the probe's output it would keep the caller's pipe
        // open, so its own output goes to standard error.
        dup2(STDERR_FILENO, STDOUT_FILENO);
        execvp(argv[0], argv);
        std::perror(argv[0]);
        _exit(127);
    }
    return iPid;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RRGGBB PROGRAM [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    const unsigned long uRgb = std::strtoul(argv[1], nullptr, 16);
    Display *poDisplay = XOpenDisplay(nullptr);
    if (poDisplay == nullptr) {
        std::fprintf(stderr, "no X server on DISPLAY\n");
        return 2;
    }
    XSetErrorHandler(ignoreXError);
    XSelectInput(poDisplay, DefaultRootWindow(poDisplay), SubstructureNotifyMask);
    XSync(poDisplay, False);

    const Clock::time_point oStart = Clock::now();
    const pid_t iPid = startProgram(argv + 2);
    std::vector<Window> oWindows;
    double dMapMs = -1;
    while (Clock::now() - oStart < kGiveUpAfter) {
        collectMappedWindows(poDisplay, oWindows);
        if (!oWindows.empty() && dMapMs < 0)
            dMapMs = millisecondsSince(oStart);
        for (const Window oWindow : oWindows) {
            if (showsColour(poDisplay, oWindow, uRgb)) {
                std::printf("first_paint_ms=%.2f map_ms=%.2f pid=%d\n", millisecondsSince(oStart),
                            dMapMs, int(iPid));
                return 0;
            }
        }
        int iStatus = 0;
        if (waitpid(iPid, &iStatus, WNOHANG) == iPid) {
            std::fprintf(stderr, "the program ended before it showed the colour\n");
            return 1;
        }
        if (!oWindows.empty())
            std::this_thread::sleep_for(kReadBackPause);
    }
    std::fprintf(stderr, "the colour did not show within the time\n");
    kill(iPid, SIGTERM);
    return 1;
}
