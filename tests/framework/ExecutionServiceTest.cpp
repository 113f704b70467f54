#include "framework/ExecutionService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "SchedulerFixture.h"
#include "framework/ExecutableForwarder.h"
#include "framework/ExecutableSupport.h"

namespace {

std::vector<int>* gOrder = nullptr;

// An executable whose address order is its position in an array.
class Step : public ExecutableForwarder {
  public:
    void Execute() override {
        gOrder->push_back(id);
        if (action) {
            action();
        }
    }
    int id = 0;
    std::function<void()> action;
};

// Destroys itself, through its owner's pointer, when it runs.
class SelfDestroyingStep : public ExecutableForwarder {
  public:
    explicit SelfDestroyingStep(std::unique_ptr<SelfDestroyingStep>& holder) : holder_(holder) {}
    void Execute() override {
        gOrder->push_back(7);
        holder_.reset();
    }

  private:
    std::unique_ptr<SelfDestroyingStep>& holder_;
};

class ExecutionServiceTest : public SchedulerFixture {
  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        gOrder = &order_;
        for (int i = 0; i < 4; ++i) {
            steps_[i].id = i;
        }
    }
    void TearDown() override {
        gOrder = nullptr;
        SchedulerFixture::TearDown();
    }

    std::vector<int> RunOnce() {
        order_.clear();
        Run();
        return order_;
    }

    std::vector<int> order_;
    Step steps_[4];
};

TEST_F(ExecutionServiceTest, RunsInAddressOrderWhateverTheSchedulingOrder) {
    const std::vector<std::vector<int>> schedulings = {{0, 1, 2, 3}, {3, 2, 1, 0}, {2, 0, 3, 1}, {1, 1, 3}};
    for (const std::vector<int>& scheduling : schedulings) {
        SCOPED_TRACE(::testing::PrintToString(scheduling));
        std::vector<int> expected;
        for (int i = 0; i < 4; ++i) {
            steps_[i].Unschedule();
            if (std::find(scheduling.begin(), scheduling.end(), i) != scheduling.end()) {
                expected.push_back(i);
            }
        }
        for (int i : scheduling) {
            steps_[i].Schedule();
        }
        EXPECT_EQ(RunOnce(), expected);
        EXPECT_EQ(RunOnce(), expected) << "stays scheduled";
    }
}

TEST_F(ExecutionServiceTest, SchedulingDuringARun) {
    struct Case {
        const char* what;
        int runner;
        std::function<void(Step*)> action;
        std::vector<int> first;
        std::vector<int> second;
    };
    const std::vector<Case> cases = {
        {"unschedules itself", 1, [](Step* s) { s[1].Unschedule(); }, {0, 1, 2}, {0, 2}},
        {"schedules a higher one", 1, [](Step* s) { s[3].Schedule(); }, {0, 1, 2, 3}, {0, 1, 2, 3}},
        {"schedules a lower one", 2, [](Step* s) { s[1].Schedule(); }, {0, 2}, {0, 1, 2}},
        {"unschedules a later one", 0, [](Step* s) { s[2].Unschedule(); }, {0}, {0}},
        {"unschedules an earlier one", 2, [](Step* s) { s[0].Unschedule(); }, {0, 2}, {2}},
        {"unschedules itself and re-schedules",
         0,
         [](Step* s) {
             s[0].Unschedule();
             s[0].Schedule();
         },
         {0, 2},
         {0, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (Step& step : steps_) {
            step.Unschedule();
            step.action = nullptr;
        }
        steps_[0].Schedule();
        steps_[2].Schedule();
        if (c.runner == 1) {
            steps_[1].Schedule();
        }
        int fired = 0;
        steps_[c.runner].action = [&c, &fired, this] {
            if (fired++ == 0) {
                c.action(steps_);
            }
        };
        EXPECT_EQ(RunOnce(), c.first);
        EXPECT_EQ(RunOnce(), c.second);
    }
}

// A < B < C; A's run first unschedules A, then B, the entry the run would go on
// with. C must still run, B must not.
TEST_F(ExecutionServiceTest, RemovingTheNextEntryAfterRemovingItselfKeepsTheRunValid) {
    for (int i = 0; i < 3; ++i) {
        steps_[i].Schedule();
    }
    steps_[0].action = [this] {
        steps_[0].Unschedule();
        steps_[1].Unschedule();
    };
    EXPECT_EQ(RunOnce(), (std::vector<int>{0, 2}));
    EXPECT_EQ(RunOnce(), (std::vector<int>{2}));
}

TEST_F(ExecutionServiceTest, AddAndRemoveIgnoreNullAndAbsentEntries) {
    ExecutionService& service = ExecutionService::GetInstance();
    service.Add(nullptr);
    service.Remove(nullptr);
    service.Remove(&steps_[3]);
    EXPECT_FALSE(service.Contains(nullptr));
    service.Add(&steps_[1]);
    service.Add(&steps_[1]);
    EXPECT_TRUE(service.Contains(&steps_[1]));
    EXPECT_TRUE(steps_[1].IsScheduled());
    EXPECT_EQ(RunOnce(), (std::vector<int>{1}));
}

TEST_F(ExecutionServiceTest, ExceptionEndsTheRunAndLeavesTheServiceUsable) {
    for (int i = 0; i < 3; ++i) {
        steps_[i].Schedule();
    }
    steps_[1].action = [] { throw 0; };
    order_.clear();
    EXPECT_THROW(Run(), int);
    EXPECT_EQ(order_, (std::vector<int>{0, 1}));
    steps_[1].Unschedule();
    steps_[1].action = nullptr;
    EXPECT_EQ(RunOnce(), (std::vector<int>{0, 2}));
}

TEST_F(ExecutionServiceTest, DestroyingAnExecutableUnschedulesIt) {
    auto step = std::make_unique<Step>();
    step->id = 9;
    step->Schedule();
    steps_[0].Schedule();
    step.reset();
    EXPECT_EQ(RunOnce(), (std::vector<int>{0}));

    // Also when it destroys itself in its own run.
    std::unique_ptr<SelfDestroyingStep> self;
    self = std::make_unique<SelfDestroyingStep>(self);
    self->Schedule();
    EXPECT_EQ(RunOnce().size(), 2u);
    EXPECT_EQ(self, nullptr);
    EXPECT_EQ(RunOnce(), (std::vector<int>{0}));
}

TEST_F(ExecutionServiceTest, SupportWithNullOwnerIsRefusedAndWithoutOwnerSchedulesItself) {
    try {
        ExecutableSupport refused(nullptr);
        FAIL() << "constructed";
    } catch (int code) {
        EXPECT_EQ(code, 0);
    }
    ExecutableSupport own;
    own.Schedule();
    EXPECT_TRUE(ExecutionService::GetInstance().Contains(&own));
    own.Unschedule();
    EXPECT_FALSE(own.IsScheduled());
}

TEST(ExecutionServiceRegistryTest, LookupWithoutRegistrationIsRefusedAndDestructorsSurviveIt) {
    EXPECT_EQ(ExecutionService::FindInstance(), nullptr);
    try {
        ExecutionService::GetInstance();
        FAIL() << "found";
    } catch (int code) {
        EXPECT_EQ(code, 0);
    }
    // Destroying an executable with no service must not throw or create one.
    { ExecutableSupport idle; }
    EXPECT_EQ(ExecutionService::FindInstance(), nullptr);
}

}  // namespace
