#include "platform/Cursor.h"

#include <gtest/gtest.h>

#include <SDL.h>

namespace {

// Under the dummy video driver: every change is taken at once and remembered,
// hiding and showing follow the choice, and nothing moves the pointer.
TEST(CursorTest, ChangesTakeEffectAtOnce) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    EXPECT_EQ(platform::GetGameCursor(), platform::SystemCursor::Arrow);
    const platform::SystemCursor sequence[] = {platform::SystemCursor::Wait, platform::SystemCursor::None,
                                               platform::SystemCursor::None, platform::SystemCursor::Wait,
                                               platform::SystemCursor::Arrow};
    for (platform::SystemCursor c : sequence) {
        platform::SetGameCursor(c);
        EXPECT_EQ(platform::GetGameCursor(), c);
        EXPECT_EQ(SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE, c != platform::SystemCursor::None);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    platform::SetGameCursor(platform::SystemCursor::Wait);  // no video: only remembered
    EXPECT_EQ(platform::GetGameCursor(), platform::SystemCursor::Wait);
}

}  // namespace
