#pragma once

// SIGINT and SIGTERM ask the program to close. The handlers are installed once
// and kept until the process ends, so a signal during shut-down (after the queue
// has gone) is a close already under way rather than a kill. While a message box
// is up (SDL runs it in a helper child and waits for it), a signal ends the box's
// helper, so the box returns and the close is served; a box shown inside this
// process, which nothing else could end, ends the process at once.
// Internal to the SDL implementations.

namespace platform::close_signals {

// Installs the handlers (once) and unblocks both signals: a launcher may have
// blocked them, and a close asked for before now is then delivered.
void Install();
// Whether a close was asked for since the last call; clears it.
bool Take();

// Marks a box as up for its life. Children that exist already (a browser, say)
// are not the box's.
class BoxScope {
  public:
    BoxScope();
    ~BoxScope();
    BoxScope(const BoxScope&) = delete;
    BoxScope& operator=(const BoxScope&) = delete;
    // Whether a signal ended the box, or came before it (then it is not shown).
    bool Interrupted() const;
};

}  // namespace platform::close_signals
