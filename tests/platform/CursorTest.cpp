#include "platform/Cursor.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

// Under the dummy video driver, which has no cursor images: every change is
// taken at once and remembered, and none of them touches the cursor's display
// count, which belongs to the desktop control.
TEST(CursorTest, ChangesAreTakenAtOnceAndLeaveTheDisplayCount) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    EXPECT_EQ(platform::GetGameCursor(), platform::SystemCursor::Arrow);
    const platform::SystemCursor sequence[] = {platform::SystemCursor::Wait, platform::SystemCursor::None,
                                               platform::SystemCursor::None, platform::SystemCursor::Wait,
                                               platform::SystemCursor::Arrow};
    for (platform::SystemCursor c : sequence) {
        platform::SetGameCursor(c);
        EXPECT_EQ(platform::GetGameCursor(), c);
        EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    platform::SetGameCursor(platform::SystemCursor::Wait);  // no video: only remembered
    EXPECT_EQ(platform::GetGameCursor(), platform::SystemCursor::Wait);
    platform::SetGameCursor(platform::SystemCursor::Arrow);
}

}  // namespace
