#include "framework/EventBridge.h"

#include "framework/ButtonDownMouseMsg.h"
#include "framework/ButtonUpMouseMsg.h"
#include "framework/GainedKeyboardFocusMsg.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/LostKeyboardFocusMsg.h"
#include "framework/MoveMouseMsg.h"
#include "framework/MsgListSelectionChanged.h"
#include "framework/MsgMouseEnter.h"
#include "framework/MsgMouseLeave.h"
#include "framework/PausedMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StartingMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/StoppingMsg.h"
#include "framework/xMsgResourceLockRequest.h"
#include "framework/xMsgResourceUnlockRequest.h"
#include "framework/xMsgResourceUpdateRequest.h"
#include "framework/xMsgTimer.h"

#include <typeinfo>

namespace {

template <typename T>
bool IsExactly(const Msg& msg) {
    return typeid(msg) == typeid(T);
}

void SetPoints(xEvent& event, const MouseMsg& msg) {
    event.SetShortParam(0, msg.GetPoint().x);
    event.SetShortParam(1, msg.GetPoint().y);
    event.SetShortParam(2, msg.GetScreenPoint().x);
    event.SetShortParam(3, msg.GetScreenPoint().y);
}

template <typename M>
std::unique_ptr<Msg> MakeMouse(const xEvent& event) {
    return std::make_unique<M>(xPoint{event.GetShortParam(0), event.GetShortParam(1)},
                               xPoint{event.GetShortParam(2), event.GetShortParam(3)});
}

template <typename M>
std::unique_ptr<Msg> MakeResource(const xEvent& event) {
    return std::make_unique<M>(static_cast<Resource*>(const_cast<void*>(event.GetPointerParam(0))));
}

}  // namespace

std::unique_ptr<xEvent> MsgToXEvent(const Msg& msg, MsgSender* sender) {
    auto event = std::make_unique<xEvent>(xEventCode::kUnmapped);
    event->SetSender(sender);
    if (IsExactly<StartingMsg>(msg) || IsExactly<StoppingMsg>(msg) || IsExactly<MsgMouseEnter>(msg) ||
        IsExactly<MsgMouseLeave>(msg)) {
        event->SetCode(xEventCode::kNone);
    } else if (IsExactly<StartedMsg>(msg)) {
        event->SetCode(xEventCode::kStarted);
    } else if (IsExactly<StoppedMsg>(msg)) {
        event->SetCode(xEventCode::kStopped);
    } else if (IsExactly<PausedMsg>(msg)) {
        event->SetCode(xEventCode::kPaused);
    } else if (IsExactly<xMsgResourceUnlockRequest>(msg) || IsExactly<xMsgResourceLockRequest>(msg) ||
               IsExactly<xMsgResourceUpdateRequest>(msg)) {
        event->SetCode(IsExactly<xMsgResourceUnlockRequest>(msg) ? xEventCode::kResourceUnlock
                       : IsExactly<xMsgResourceLockRequest>(msg) ? xEventCode::kResourceLock
                                                                 : xEventCode::kResourceUpdate);
        event->SetPointerParam(0, static_cast<const xMsgResource&>(msg).GetResource());
    } else if (IsExactly<xMsgTimer>(msg)) {
        event->SetCode(xEventCode::kTimer);
    } else if (IsExactly<ButtonDownMouseMsg>(msg) || IsExactly<ButtonUpMouseMsg>(msg) ||
               IsExactly<MoveMouseMsg>(msg)) {
        event->SetCode(IsExactly<ButtonDownMouseMsg>(msg) ? xEventCode::kButtonDown
                       : IsExactly<ButtonUpMouseMsg>(msg) ? xEventCode::kButtonUp
                                                          : xEventCode::kMouseMove);
        SetPoints(*event, static_cast<const MouseMsg&>(msg));
    } else if (IsExactly<KeyboardCharMsg>(msg)) {
        event->SetCode(xEventCode::kKeyboardChar);
        event->SetShortParam(0, static_cast<std::int16_t>(static_cast<const KeyboardCharMsg&>(msg).GetKey()));
    } else if (IsExactly<GainedKeyboardFocusMsg>(msg)) {
        event->SetCode(xEventCode::kGainedFocus);
    } else if (IsExactly<LostKeyboardFocusMsg>(msg)) {
        event->SetCode(xEventCode::kLostFocus);
    } else if (IsExactly<MsgListSelectionChanged>(msg)) {
        event->SetCode(xEventCode::kListSelectionChanged);
    } else if (const auto* form = dynamic_cast<const EventFormMsg*>(&msg)) {
        form->FillXEvent(*event);
    }
    if (event->GetCode() == xEventCode::kUnmapped) {
        return nullptr;
    }
    return event;
}

MsgSenderPair XEventToMsg(const xEvent& event) {
    MsgSenderPair pair;
    pair.sender = event.GetSender();
    switch (event.GetCode()) {
        case xEventCode::kStarted:
            pair.msg = std::make_unique<StartedMsg>();
            break;
        case xEventCode::kStopped:
            pair.msg = std::make_unique<StoppedMsg>();
            break;
        case xEventCode::kPaused:
            pair.msg = std::make_unique<PausedMsg>();
            break;
        case xEventCode::kResourceUnlock:
            pair.msg = MakeResource<xMsgResourceUnlockRequest>(event);
            break;
        case xEventCode::kResourceLock:
            pair.msg = MakeResource<xMsgResourceLockRequest>(event);
            break;
        case xEventCode::kResourceUpdate:
            pair.msg = MakeResource<xMsgResourceUpdateRequest>(event);
            break;
        case xEventCode::kTimer:
            pair.msg = std::make_unique<xMsgTimer>();
            break;
        case xEventCode::kButtonDown:
            pair.msg = MakeMouse<ButtonDownMouseMsg>(event);
            break;
        case xEventCode::kButtonUp:
            pair.msg = MakeMouse<ButtonUpMouseMsg>(event);
            break;
        case xEventCode::kMouseMove:
            pair.msg = MakeMouse<MoveMouseMsg>(event);
            break;
        case xEventCode::kKeyboardChar:
            pair.msg = std::make_unique<KeyboardCharMsg>(event.GetShortParam(0));
            break;
        case xEventCode::kGainedFocus:
            pair.msg = std::make_unique<GainedKeyboardFocusMsg>();
            break;
        case xEventCode::kLostFocus:
            pair.msg = std::make_unique<LostKeyboardFocusMsg>();
            break;
        default:
            break;
    }
    return pair;
}
