#include "net/RoomMsgFactory.h"

#include <string_view>

#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "net/GenericRoomMsgs.h"
#include "net/RoomMsgStream.h"

namespace {

template <class T>
std::unique_ptr<RoomMsg> Make(RoomMsgStream& stream) {
    return std::make_unique<T>(stream);
}

struct TagRow {
    std::string_view tag;
    std::unique_ptr<RoomMsg> (*make)(RoomMsgStream&);
};

// Tags are compared whole: "L" is not "LN", "PLE" is not "PLEAVE".
constexpr TagRow kTags[] = {
    {"LN", &Make<LogonNowRoomMsg>},
    {"L", &Make<LogonRoomMsg>},
    {"LA", &Make<LogonAcceptedRoomMsg>},
    {"LO", &Make<LogoffRoomMsg>},
    {"LOA", &Make<LogoffAcceptedRoomMsg>},
    {"SA", &Make<StartAdsRoomMsg>},
    {"SPA", &Make<SponsorAdRoomMsg>},
    {"ADLB", &Make<AdDownloadListBeginRoomMsg>},
    {"ADLI", &Make<AdDownloadListItemRoomMsg>},
    {"ADLE", &Make<AdDownloadListEndRoomMsg>},
    {"AI", &Make<AdImpressionRoomMsg>},
    {"PUC", &Make<PublicChatRoomMsg>},
    {"PRC", &Make<PrivateChatRoomMsg>},
    {"MC", &Make<MeChatRoomMsg>},
    {"HC", &Make<HostChatRoomMsg>},
    {"PJ", &Make<PlayerJoinRoomMsg>},
    {"PLEAVE", &Make<PlayerLeaveRoomMsg>},
    {"PLB", &Make<PlayerListBeginRoomMsg>},
    {"PLI", &Make<PlayerListItemRoomMsg>},
    {"PLE", &Make<PlayerListEndRoomMsg>},
    {"LER", &Make<LeaveRoomRoomMsg>},
    {"FP", &Make<FindPlayerRoomMsg>},
    {"PF", &Make<PlayerFoundRoomMsg>},
    {"PNF", &Make<PlayerNotFoundRoomMsg>},
    {"RB", &Make<RoomListBeginRoomMsg>},
    {"RI", &Make<RoomListItemRoomMsg>},
    {"RE", &Make<RoomListEndRoomMsg>},
    {"LSR", &Make<ListSyncRequestRoomMsg>},
    {"LSA", &Make<ListSyncAckRoomMsg>},
    {"RU", &Make<RoomUpdateRoomMsg>},
    {"RR", &Make<ReadyRoomMsg>},
    {"GP", &Make<GoPublicRoomMsg>},
    {"ST", &Make<SyncTimeSegmentMsg>},
    {"RS", &Make<RequestSyncRoomMsg>},
};

}  // namespace

std::unique_ptr<RoomMsg> RoomMsgFactory::CreateRoomMsg(RoomMsgStream& stream) {
    const std::string tag = PeekTag(stream);
    for (const TagRow& row : kTags) {
        if (row.tag == tag) return row.make(stream);
    }
    return nullptr;
}

std::string RoomMsgFactory::PeekTag(RoomMsgStream& stream) {
    std::string tag;
    stream.ReadString(tag).StepBack();
    return tag;
}

void RoomMsgFactory::Provide() {
    SingletonDefaults::Provide(kName, &ObjectRegistry::CreateInstance<RoomMsgFactory>,
                               &ObjectRegistry::DeleteInstance);
}

RoomMsgFactory& GetRoomMsgFactory() {
    return ObjectRegistry::GetAs<RoomMsgFactory>(RoomMsgFactory::kName);
}
