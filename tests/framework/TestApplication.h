#pragma once

// An application object for tests of the pump and the program's entry: it counts
// its passes and control-panel toggles, and runs a scripted action on each pass
// and in its constructor.

#include <functional>

#include "framework/ObjectRegistry.h"
#include "framework/XApplication.h"

class TestApplication : public XApplication {
  public:
    struct Script {
        std::function<void()> onConstruct;
        std::function<void(TestApplication&)> onPass;
        std::function<void()> onShowPanel;
        std::function<void()> onDestroy;
        int constructed = 0;
        int destroyed = 0;
    };
    static Script& script() {
        static Script s;
        return s;
    }
    // Registers the class under the application's name; the registry must not hold
    // a created application.
    static void Register() {
        script() = Script{};
        ObjectRegistry::RegisterSingleton("XApplication", &Create, &ObjectRegistry::DeleteInstance);
    }

    TestApplication() {
        ++script().constructed;
        if (script().onConstruct) script().onConstruct();
    }
    ~TestApplication() override {
        ++script().destroyed;
        if (script().onDestroy) script().onDestroy();
    }

    void RunExecutables() override {
        XApplication::RunExecutables();
        ++passes;
        if (script().onPass) script().onPass(*this);
    }
    void ShowControlPanel() override {
        ++shows;
        if (script().onShowPanel) script().onShowPanel();
        panelUp = true;
    }
    void HideControlPanel() override {
        ++hides;
        panelUp = false;
    }
    bool IsControlPanelUp() const override { return panelUp; }

    int passes = 0;
    int shows = 0;
    int hides = 0;
    bool panelUp = false;

  private:
    static XAppObject* Create() { return new TestApplication(); }
};
