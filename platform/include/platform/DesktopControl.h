#pragma once

// Desktop settings the program touches while it runs: the screen saver and the
// mouse cursor's display count. The executable installs the desktop one; with
// nothing installed there is no screen saver to switch and the count is kept
// here.

namespace platform {

class DesktopControl {
  public:
    virtual ~DesktopControl() = default;

    virtual bool IsScreenSaverEnabled() = 0;
    virtual void SetScreenSaverEnabled(bool enabled) = 0;
    // Raises (show) or lowers the cursor's display count and returns the new
    // count; the cursor shows while the count is at least 0.
    virtual int ShowCursor(bool show) = 0;

    static DesktopControl& Current();
    // Installs a borrowed control; null restores the default. Returns the one before.
    static DesktopControl* Install(DesktopControl* control) {
        DesktopControl* before = Installed();
        Installed() = control;
        return before;
    }

  private:
    static DesktopControl*& Installed() {
        static DesktopControl* installed = nullptr;
        return installed;
    }
};

// No display: no screen saver, a cursor count of our own.
class HeadlessDesktopControl : public DesktopControl {
  public:
    bool IsScreenSaverEnabled() override { return false; }
    void SetScreenSaverEnabled(bool) override {}
    int ShowCursor(bool show) override { return show ? ++count_ : --count_; }

  private:
    int count_ = 0;
};

inline DesktopControl& DesktopControl::Current() {
    static HeadlessDesktopControl fallback;
    DesktopControl* installed = Installed();
    return installed ? *installed : fallback;
}

}  // namespace platform
