#include "CloseSignals.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

namespace platform::close_signals {

namespace {

volatile std::sig_atomic_t gSignalled = 0;
volatile std::sig_atomic_t gBoxUp = 0;
volatile std::sig_atomic_t gBoxInterrupted = 0;

// Read by the handler, written only while no box is up.
constexpr int kMaxChildren = 64;
char gChildrenPath[64] = {};
pid_t gChildrenBefore[kMaxChildren] = {};
int gChildrenBeforeCount = 0;

// The pids listed in the children file, at most max; -1 when it cannot be read.
// Async-signal-safe.
int ReadChildren(pid_t* out, int max) {
    const int fd = ::open(gChildrenPath, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    char text[1024];
    ssize_t length;
    do {
        length = ::read(fd, text, sizeof text - 1);
    } while (length < 0 && errno == EINTR);
    ::close(fd);
    if (length < 0) return -1;
    int count = 0;
    pid_t pid = 0;
    bool inNumber = false;
    for (ssize_t i = 0; i <= length; ++i) {
        const char c = i < length ? text[i] : ' ';
        if (c >= '0' && c <= '9') {
            pid = pid * 10 + (c - '0');
            inNumber = true;
        } else if (inNumber) {
            if (count < max) out[count++] = pid;
            pid = 0;
            inNumber = false;
        }
    }
    return count;
}

// Ends the box's helper children; false when there is none to end.
bool EndBoxHelpers() {
    pid_t now[kMaxChildren];
    const int count = ReadChildren(now, kMaxChildren);
    bool ended = false;
    for (int i = 0; i < count; ++i) {
        bool before = false;
        for (int j = 0; j < gChildrenBeforeCount; ++j) before = before || gChildrenBefore[j] == now[i];
        if (!before && ::kill(now[i], SIGKILL) == 0) ended = true;
    }
    return ended;
}

extern "C" void OnCloseSignal(int) {
    const int savedErrno = errno;
    gSignalled = 1;
    if (gBoxUp) {
        gBoxInterrupted = 1;
        // No helper to end: the box runs in this process (or is not shown yet)
        // and would hold the close up, so the program ends here.
        if (!EndBoxHelpers()) ::_exit(0);
    }
    errno = savedErrno;
}

// SDL may try several ways to show a box, each in a child of its own: once a
// close has ended one, the ones it starts after that end as they begin.
extern "C" void EndLaterBoxHelpers() {
    if (gBoxUp && gBoxInterrupted) ::_exit(1);
}

}  // namespace

void Install() {
    static bool installed = false;
    if (!installed) {
        installed = true;
        ::pthread_atfork(nullptr, nullptr, &EndLaterBoxHelpers);
        struct sigaction action {};
        action.sa_handler = OnCloseSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
    }
    sigset_t both;
    sigemptyset(&both);
    sigaddset(&both, SIGINT);
    sigaddset(&both, SIGTERM);
    sigprocmask(SIG_UNBLOCK, &both, nullptr);
}

bool Take() {
    if (!gSignalled) return false;
    gSignalled = 0;
    return true;
}

BoxScope::BoxScope() {
    // SDL forks from the calling thread; its children are listed under that thread.
    std::snprintf(gChildrenPath, sizeof gChildrenPath, "/proc/self/task/%d/children", static_cast<int>(::gettid()));
    const int count = ReadChildren(gChildrenBefore, kMaxChildren);
    gChildrenBeforeCount = count < 0 ? 0 : count;
    // A close asked for and not yet served: the box is not shown at all.
    gBoxInterrupted = gSignalled;
    gBoxUp = 1;
}

BoxScope::~BoxScope() {
    gBoxUp = 0;
}

bool BoxScope::Interrupted() const {
    return gBoxInterrupted != 0;
}

}  // namespace platform::close_signals
