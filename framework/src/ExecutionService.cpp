#include "framework/ExecutionService.h"

#include "framework/Executable.h"
#include "framework/ObjectRegistry.h"

namespace {
constexpr const char* kName = "ExecutionService";
}

ExecutionService& ExecutionService::GetInstance() {
    return ObjectRegistry::GetAs<ExecutionService>(kName);
}

ExecutionService* ExecutionService::FindInstance() noexcept {
    return dynamic_cast<ExecutionService*>(ObjectRegistry::FindSingleton(kName));
}

void ExecutionService::Register() {
    ObjectRegistry::RegisterSingleton(kName, &ObjectRegistry::CreateInstance<ExecutionService>,
                                      &ObjectRegistry::DeleteInstance);
}

void ExecutionService::Add(Executable* executable) {
    if (executable != nullptr) {
        executables_.insert(executable);
    }
}

void ExecutionService::Remove(Executable* executable) {
    if (executable == nullptr) {
        return;
    }
    if (running_ && executable == current_) {
        next_ = executables_.erase(next_);
        current_ = nullptr;
        return;
    }
    auto it = executables_.find(executable);
    if (it == executables_.end()) {
        return;
    }
    if (running_ && it == next_) {
        // The running executable removed itself first and now removes the entry
        // the run would go on with: move on before that entry is erased.
        next_ = executables_.erase(it);
        return;
    }
    executables_.erase(it);
}

bool ExecutionService::Contains(Executable* executable) const {
    return executables_.count(executable) != 0;
}

void ExecutionService::RunExecutables() {
    // Restores the idle state however the run ends, so that a later removal of
    // an executable that threw is an ordinary erase.
    // An executable may destroy the service itself; nothing of it is touched then.
    struct RunGuard {
        ExecutionService& service;
        LifeWatch life;
        ~RunGuard() {
            if (!life.IsAlive()) {
                return;
            }
            service.current_ = nullptr;
            service.running_ = false;
            service.next_ = service.executables_.end();
        }
    } guard{*this, WatchLife()};

    running_ = true;
    next_ = executables_.begin();
    while (next_ != executables_.end()) {
        current_ = *next_;
        current_->Execute();
        if (!guard.life.IsAlive()) {
            return;
        }
        if (current_ != nullptr) {
            ++next_;
        }
    }
}
