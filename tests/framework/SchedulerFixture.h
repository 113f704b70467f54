#pragma once

#include <gtest/gtest.h>

#include "ManualClock.h"
#include "framework/ExecutionService.h"
#include "framework/ObjectRegistry.h"

// Registers the execution service on a manual clock and destroys every singleton
// after the test, so each test starts with an empty registry.
class SchedulerFixture : public ::testing::Test {
  protected:
    void SetUp() override { ExecutionService::Register(); }
    void TearDown() override { ObjectRegistry::DestroyAll(); }

    static void Run(int runs = 1) {
        for (int i = 0; i < runs; ++i) {
            ExecutionService::GetInstance().RunExecutables();
        }
    }

    ManualClock clock_;
};
