#pragma once

#include <set>

#include "framework/XAppObject.h"

class Executable;

// The scheduler: every scheduled executable is run once per run, in the order of
// the executables' addresses (not of their scheduling). Registered in the object
// registry as "ExecutionService"; the executables are not owned.
class ExecutionService : public virtual XAppObject {
  public:
    ExecutionService() = default;
    ExecutionService(const ExecutionService&) = delete;
    ExecutionService& operator=(const ExecutionService&) = delete;
    ~ExecutionService() override = default;

    // The registered service, created on first use.
    static ExecutionService& GetInstance();
    // The service if it exists now; null otherwise (never creates, never throws).
    static ExecutionService* FindInstance() noexcept;
    static void Register();

    // A null pointer is ignored; a pointer already present stays once.
    void Add(Executable* executable);
    // A null or absent pointer changes nothing. Safe from inside a run for any
    // executable, the running one and the one the run goes on with included.
    void Remove(Executable* executable);
    bool Contains(Executable* executable) const;

    // One run over the set. An executable added during the run is run in it when
    // its address lies above the running one. An exception from an executable
    // ends the run and passes on; the next run starts from the first entry.
    void RunExecutables();

  private:
    using Set = std::set<Executable*>;

    Set executables_;
    // The entry the run is at (or goes on with, once the running executable has
    // removed itself); meaningful only while `running_`.
    Set::iterator next_ = executables_.end();
    // The executable being run; null outside a run and after it removed itself.
    Executable* current_ = nullptr;
    bool running_ = false;
};
