#include "media/XAppSpriteEngine.h"

#include "media/PaletteChangedMsg.h"
#include "media/XAppScreenCanvas.h"
#include "media/xMixCanvas.h"

XAppSpriteEngine::~XAppSpriteEngine() {
    if (subscribed_ != nullptr) {
        subscribed_->RemoveReceiver(this);
    }
}

void XAppSpriteEngine::Init(xCanvas* screen, const xRect& area, int depth) {
    xSpriteEngine::Init(screen, area, depth);
    if (subscribed_ != nullptr) {
        subscribed_->RemoveReceiver(this);
    }
    subscribed_ = dynamic_cast<XAppScreenCanvas*>(screen);
    if (subscribed_ != nullptr) {
        subscribed_->AddReceiver(this);
    }
}

std::int32_t XAppSpriteEngine::Receive(const Msg& msg, MsgSender* from) {
    if (msg.Is<PaletteChangedMsg>() && from != nullptr && from == static_cast<MsgSender*>(subscribed_)) {
        if (mix_) {
            mix_->SyncPalette();
        }
        if (background_) {
            background_->SyncPalette();
        }
    }
    return 0;
}
