#include "framework/ObjectRegistry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string>& Events() {
    static std::vector<std::string> events;
    return events;
}

// A singleton that notes its construction and destruction.
template <int N>
class Named : public XAppObject {
  public:
    static std::string Name() { return "Named" + std::to_string(N); }
    Named() { Events().push_back("make " + Name()); }
    ~Named() override { Events().push_back("kill " + Name()); }
    static void Register() {
        ObjectRegistry::RegisterSingleton(Name(), &ObjectRegistry::CreateInstance<Named>,
                                          &ObjectRegistry::DeleteInstance);
    }
};

// A looks up B while it is being made.
class Outer : public XAppObject {
  public:
    Outer() {
        ObjectRegistry::GetSingleton(Named<1>::Name());
        Events().push_back("make Outer");
    }
    ~Outer() override { Events().push_back("kill Outer"); }
};

class ObjectRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { Events().clear(); }
    void TearDown() override { ObjectRegistry::DestroyAll(); }
};

int RefusalOf(void (*call)()) {
    try {
        call();
    } catch (int code) {
        return code;
    }
    return -1;
}

TEST_F(ObjectRegistryTest, NestedCreationIsNumberedFirstAndDestroyedLast) {
    Named<1>::Register();
    Named<2>::Register();
    ObjectRegistry::RegisterSingleton("Outer", &ObjectRegistry::CreateInstance<Outer>,
                                      &ObjectRegistry::DeleteInstance);
    EXPECT_FALSE(ObjectRegistry::IsSingletonCreated("Outer"));

    XAppObject* outer = ObjectRegistry::GetSingleton("Outer");
    EXPECT_EQ(ObjectRegistry::GetSingleton("Outer"), outer);
    ObjectRegistry::GetSingleton(Named<2>::Name());
    EXPECT_TRUE(ObjectRegistry::IsSingletonCreated(Named<1>::Name()));

    ObjectRegistry::DestroyAll();
    EXPECT_EQ(Events(), (std::vector<std::string>{"make Named1", "make Outer", "make Named2", "kill Named2",
                                                  "kill Outer", "kill Named1"}));
}

TEST_F(ObjectRegistryTest, RegistrationIsReplacedOnlyBeforeTheFirstLookup) {
    ObjectRegistry::RegisterSingleton("Factory", &ObjectRegistry::CreateInstance<Named<1>>,
                                      &ObjectRegistry::DeleteInstance);
    ObjectRegistry::RegisterSingleton("Factory", &ObjectRegistry::CreateInstance<Named<2>>,
                                      &ObjectRegistry::DeleteInstance);
    EXPECT_NE(dynamic_cast<Named<2>*>(ObjectRegistry::GetSingleton("Factory")), nullptr);
    ObjectRegistry::RegisterSingleton("Factory", &ObjectRegistry::CreateInstance<Named<3>>,
                                      &ObjectRegistry::DeleteInstance);
    EXPECT_NE(dynamic_cast<Named<2>*>(ObjectRegistry::GetSingleton("Factory")), nullptr);
    EXPECT_EQ(Events(), (std::vector<std::string>{"make Named2"}));
}

TEST_F(ObjectRegistryTest, UnknownNamesAreRefusedWithZero) {
    EXPECT_EQ(RefusalOf([] { ObjectRegistry::GetSingleton("Nobody"); }), 0);
    EXPECT_EQ(RefusalOf([] { ObjectRegistry::IsSingletonCreated("Nobody"); }), 0);
    Named<1>::Register();
    EXPECT_EQ(RefusalOf([] { ObjectRegistry::GetSingleton("Nobody"); }), 0);
    EXPECT_EQ(ObjectRegistry::FindSingleton("Nobody"), nullptr);
    EXPECT_EQ(ObjectRegistry::FindSingleton(Named<1>::Name()), nullptr) << "find never creates";
    EXPECT_EQ(RefusalOf([] { ObjectRegistry::GetAs<Outer>(Named<1>::Name()); }), 0) << "wrong class";
}

class SelfSeeker : public XAppObject {
  public:
    SelfSeeker() { ObjectRegistry::GetSingleton("SelfSeeker"); }
};

bool& FailCreation() {
    static bool fail = true;
    return fail;
}

XAppObject* FlakyCreator() {
    if (FailCreation()) {
        throw 0;
    }
    return new Named<4>();
}

TEST_F(ObjectRegistryTest, ReentrantAndFailedCreationsLeaveTheEntryUncreated) {
    ObjectRegistry::RegisterSingleton("SelfSeeker", &ObjectRegistry::CreateInstance<SelfSeeker>,
                                      &ObjectRegistry::DeleteInstance);
    EXPECT_EQ(RefusalOf([] { ObjectRegistry::GetSingleton("SelfSeeker"); }), 0);
    EXPECT_FALSE(ObjectRegistry::IsSingletonCreated("SelfSeeker"));

    FailCreation() = true;
    ObjectRegistry::RegisterSingleton("Flaky", &FlakyCreator, &ObjectRegistry::DeleteInstance);
    EXPECT_EQ(RefusalOf([] { ObjectRegistry::GetSingleton("Flaky"); }), 0);
    EXPECT_FALSE(ObjectRegistry::IsSingletonCreated("Flaky"));
    FailCreation() = false;
    EXPECT_NE(ObjectRegistry::GetSingleton("Flaky"), nullptr);
}

// Re-registers its own name while it is being made: the entry under creation
// must survive.
class SelfRegistrar : public XAppObject {
  public:
    SelfRegistrar() {
        ObjectRegistry::RegisterSingleton("SelfRegistrar", &ObjectRegistry::CreateInstance<Named<5>>,
                                          &ObjectRegistry::DeleteInstance);
    }
};

TEST_F(ObjectRegistryTest, RegisteringANameDuringItsOwnCreationIsIgnored) {
    ObjectRegistry::RegisterSingleton("SelfRegistrar", &ObjectRegistry::CreateInstance<SelfRegistrar>,
                                      &ObjectRegistry::DeleteInstance);
    EXPECT_NE(dynamic_cast<SelfRegistrar*>(ObjectRegistry::GetSingleton("SelfRegistrar")), nullptr);
}

// Looks up Named1 when it is destroyed; Named1 was created later, so it has been
// destroyed already and comes back.
class LateSeeker : public XAppObject {
  public:
    ~LateSeeker() override {
        Events().push_back("kill LateSeeker");
        ObjectRegistry::GetSingleton(Named<1>::Name());
    }
};

TEST_F(ObjectRegistryTest, ObjectRecreatedDuringDestroyAllIsDestroyedWithItsEntry) {
    Named<1>::Register();
    ObjectRegistry::RegisterSingleton("LateSeeker", &ObjectRegistry::CreateInstance<LateSeeker>,
                                      &ObjectRegistry::DeleteInstance);
    ObjectRegistry::GetSingleton("LateSeeker");
    ObjectRegistry::GetSingleton(Named<1>::Name());
    ObjectRegistry::DestroyAll();
    EXPECT_EQ(Events(), (std::vector<std::string>{"make Named1", "kill Named1", "kill LateSeeker",
                                                  "make Named1", "kill Named1"}));
    EXPECT_EQ(RefusalOf([] { ObjectRegistry::GetSingleton(Named<1>::Name()); }), 0) << "no map after the end";
}

void ThrowingDestroyer(XAppObject* object) {
    delete object;
    throw 0;
}

TEST_F(ObjectRegistryTest, RefusalDuringDestroyAllDoesNotStopTheCleanUp) {
    Named<1>::Register();
    ObjectRegistry::RegisterSingleton("Thrower", &ObjectRegistry::CreateInstance<Named<2>>,
                                      &ThrowingDestroyer);
    Named<3>::Register();
    ObjectRegistry::GetSingleton(Named<1>::Name());
    ObjectRegistry::GetSingleton("Thrower");
    ObjectRegistry::GetSingleton(Named<3>::Name());
    ObjectRegistry::DestroyAll();
    EXPECT_EQ(Events(), (std::vector<std::string>{"make Named1", "make Named2", "make Named3", "kill Named3",
                                                  "kill Named2", "kill Named1"}));
}

TEST_F(ObjectRegistryTest, ApplicationRegistrationHappensOnce) {
    ObjectRegistry::RegisterApplication(&ObjectRegistry::CreateInstance<Named<1>>,
                                        &ObjectRegistry::DeleteInstance);
    ObjectRegistry::RegisterApplication(&ObjectRegistry::CreateInstance<Named<2>>,
                                        &ObjectRegistry::DeleteInstance);
    EXPECT_NE(dynamic_cast<Named<1>*>(ObjectRegistry::GetSingleton("XApplication")), nullptr);
}

TEST_F(ObjectRegistryTest, NullObjectIsIgnoredByTheDestroyer) {
    ObjectRegistry::RegisterSingleton(
        "Null", [] { return static_cast<XAppObject*>(nullptr); }, &ObjectRegistry::DeleteInstance);
    EXPECT_EQ(ObjectRegistry::GetSingleton("Null"), nullptr);
    EXPECT_FALSE(ObjectRegistry::IsSingletonCreated("Null"));
}

}  // namespace
