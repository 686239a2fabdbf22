// nodrell-mapwatch: starts a program and says how long after its start the X server mapped
// its first top-level window, to the microsecond, from the MapNotify the server sends.
//
// Usage: nodrell-mapwatch [--timeout MS] [--log FILE] -- PROGRAM [ARGS...]
// Prints "pid N" once the program is started, then "mapped MS WINDOW WIDTHxHEIGHT" (or
// "timeout"), then stays until the program ends (whoever measures ends it by its pid) and
// prints "exit N". The program's output goes to FILE (default /dev/null). A window counts
// when it is at least 32 x 32 pixels (toolkits map small helper windows of their own) and its
// _NET_WM_PID is the program's pid, or it has no such property.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The window's _NET_WM_PID (the atom `pidAtom`), or -1 when it has none.
long windowPid(Display* display, Window window, Atom pidAtom) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr) {
        if (type == XA_CARDINAL && format == 32 && count == 1) pid = *reinterpret_cast<long*>(data);
        XFree(data);
    }
    return pid;
}

// The window's size, or nothing when it is smaller than 32 x 32 pixels or already gone.
bool bigEnough(Display* display, Window window, int& width, int& height) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) return false;
    width = attributes.width;
    height = attributes.height;
    return width >= 32 && height >= 32;
}

// The exit code a shell would report for the wait status.
int exitCode(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 255;
}

// A window may be gone by the time it is looked at; that is no reason to stop.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: nodrell-mapwatch [--timeout MS] [--log FILE] -- PROGRAM [ARGS...]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    double timeoutMs = 20000;
    const char* logPath = "/dev/null";
    int first = 1;
    for (; first < argc; ++first) {
        const std::string arg = argv[first];
        if (arg == "--") {
            ++first;
            break;
        }
        if (first + 1 >= argc) return usage();
        if (arg == "--timeout")
            timeoutMs = std::atof(argv[++first]);
        else if (arg == "--log")
            logPath = argv[++first];
        else
            return usage();
    }
    if (first >= argc) return usage();

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "nodrell-mapwatch: cannot open the display\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    XSync(display, False);

    const int log = open(logPath, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log < 0) {
        std::perror(logPath);
        return 2;
    }
    const double start = nowMs();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        return 2;
    }
    if (child == 0) {
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        const int null = open("/dev/null", O_RDONLY);
        dup2(null, STDIN_FILENO);
        execvp(argv[first], argv + first);
        std::perror(argv[first]);
        _exit(127);
    }
    close(log);
    std::printf("pid %d\n", static_cast<int>(child));
    std::fflush(stdout);

    bool mapped = false;
    const int fd = ConnectionNumber(display);
    while (!mapped) {
        while (!mapped && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != MapNotify) continue;
            const double at = nowMs();
            const Window window = event.xmap.window;
            const long pid = windowPid(display, window, pidAtom);
            int width = 0, height = 0;
            if ((pid == child || pid < 0) && bigEnough(display, window, width, height)) {
                std::printf("mapped %.3f 0x%lx %dx%d\n", at - start, window, width, height);
                mapped = true;
            }
        }
        if (mapped) break;
        const double left = start + timeoutMs - nowMs();
        int status = 0;
        const bool ended = waitpid(child, &status, WNOHANG) == child;
        if (ended || left <= 0) {
            std::printf("timeout\n");
            if (ended) {
                std::printf("exit %d\n", exitCode(status));
                return 1;
            }
            break;
        }
        pollfd wait{fd, POLLIN, 0};
        poll(&wait, 1, static_cast<int>(left < 50 ? left + 1 : 50));
    }
    std::fflush(stdout);
    XCloseDisplay(display);

    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    std::printf("exit %d\n", exitCode(status));
    return 0;
}
