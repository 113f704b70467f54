#include "framework/XApplication.h"

#include "framework/ExecutionService.h"
#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"

XApplication::XApplication() {
    ExecutionService::Register();
    SingletonDefaults::Register("MouseService");
    SingletonDefaults::Register("DummyUIRoot");
    SingletonDefaults::Register("RoomMsgFactory");
    SingletonDefaults::Register("RoomFactory");
    SingletonDefaults::Register("PlayerFactory");
    SingletonDefaults::Register("FileResourceFactory");
}

XApplication::~XApplication() = default;

XApplication& XApplication::GetInstance() {
    return ObjectRegistry::GetAs<XApplication>(kName);
}

void XApplication::Quit() {
    if (IsStarted()) {
        Stop();
    }
}

void XApplication::RunExecutables() {
    ExecutionService::GetInstance().RunExecutables();
}
