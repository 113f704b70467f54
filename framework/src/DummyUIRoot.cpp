#include "framework/DummyUIRoot.h"

#include "framework/ObjectRegistry.h"

void DummyUIRoot::Register() {
    ObjectRegistry::RegisterSingleton(kName, &ObjectRegistry::CreateInstance<DummyUIRoot>,
                                      &ObjectRegistry::DeleteInstance);
}

DummyUIRoot* DummyUIRoot::GetInstance() {
    return &ObjectRegistry::GetAs<DummyUIRoot>(kName);
}
