#include "framework/ExecutableSupport.h"

#include "framework/ExecutionService.h"

ExecutableSupport::ExecutableSupport() : executable_(this) {}

ExecutableSupport::ExecutableSupport(Executable* owner) : executable_(owner) {
    if (owner == nullptr) {
        throw 0;
    }
}

ExecutableSupport::~ExecutableSupport() {
    // A service that does not exist holds nothing; looking it up here could
    // create it again during the final clean-up or throw out of a destructor.
    if (ExecutionService* service = ExecutionService::FindInstance()) {
        service->Remove(executable_);
    }
}

void ExecutableSupport::Schedule() {
    ExecutionService::GetInstance().Add(executable_);
}

void ExecutableSupport::Unschedule() {
    if (ExecutionService* service = ExecutionService::FindInstance()) {
        service->Remove(executable_);
    }
}

bool ExecutableSupport::IsScheduled() const {
    ExecutionService* service = ExecutionService::FindInstance();
    return service != nullptr && service->Contains(executable_);
}
