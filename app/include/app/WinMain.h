#pragma once

#include "app/EntryPlatform.h"

// The program's entry: machine checks, program folder, single instance, the 33 ms
// timer, the application object and the main loop, then the clean-up of the
// singletons and the one exit box. Returns 0 on every path.
int WinMain(EntryPlatform& entry);
