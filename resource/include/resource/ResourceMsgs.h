#pragma once

// What a resource tells its dependents: it became locked (in use), it became
// unlocked, or its file was replaced and read again. No fields: the class is the
// message.

#include "framework/CloneableMsg.h"

class ResourceLockedMsg : public CloneableMsg<ResourceLockedMsg> {};
class ResourceUnlockedMsg : public CloneableMsg<ResourceUnlockedMsg> {};
class FileUpdatedMsg : public CloneableMsg<FileUpdatedMsg> {};
