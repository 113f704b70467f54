#include "sound/SoundMuteMsgs.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

template <class T>
void ExpectClonesAsItself() {
    const T msg;
    const std::unique_ptr<Msg> copy = msg.Clone();
    EXPECT_TRUE(copy->Is<T>());
}

TEST(SoundMuteMsgsTest, EachMessageIsItsOwnClass) {
    ExpectClonesAsItself<MusicMuteOnMsg>();
    ExpectClonesAsItself<MusicMuteOffMsg>();
    ExpectClonesAsItself<VoiceMuteOnMsg>();
    ExpectClonesAsItself<VoiceMuteOffMsg>();
    ExpectClonesAsItself<SfxMuteOnMsg>();
    ExpectClonesAsItself<SfxMuteOffMsg>();
    const MusicMuteOnMsg on;
    EXPECT_FALSE(on.Is<MusicMuteOffMsg>());
    EXPECT_FALSE(on.Is<VoiceMuteOnMsg>());
}

}  // namespace
