// SDL's X11 video starts D-Bus when it looks for a display, and libdbus keeps a buffer it
// never frees. The leak checker reads this list when the tests run under it; none of the
// client's own code is on it.
extern "C" const char* __lsan_default_suppressions() {  // NOLINT(bugprone-reserved-identifier)
    return "leak:libdbus-1.so\n";
}
