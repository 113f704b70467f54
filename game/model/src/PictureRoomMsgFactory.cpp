#include "game/model/PictureRoomMsgFactory.h"

#include <new>
#include <string>
#include <string_view>

#include "framework/ObjectRegistry.h"
#include "game/model/PictureRoomMsgs.h"
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

constexpr TagRow kTags[] = {
    {HelloRoomMsg::kTag, &Make<HelloRoomMsg>},
    {StartCompRoomMsg::kTag, &Make<StartCompRoomMsg>},
    {StartVoteRoomMsg::kTag, &Make<StartVoteRoomMsg>},
    {StartScoreRoomMsg::kTag, &Make<StartScoreRoomMsg>},
    {StartRoundWinnerRoomMsg::kTag, &Make<StartRoundWinnerRoomMsg>},
    {StartFatChanceSelectionRoomMsg::kTag, &Make<StartFatChanceSelectionRoomMsg>},
    {StartFatChanceResultsRoomMsg::kTag, &Make<StartFatChanceResultsRoomMsg>},
    {StartGameWinnerRoomMsg::kTag, &Make<StartGameWinnerRoomMsg>},
    {StartPictureAdsRoomMsg::kTag, &Make<StartPictureAdsRoomMsg>},
    {StartPreflightRoomMsg::kTag, &Make<StartPreflightRoomMsg>},
    {CompRoomMsg::kTag, &Make<CompRoomMsg>},
    {CompReceivedRoomMsg::kTag, &Make<CompReceivedRoomMsg>},
    {CompLateRoomMsg::kTag, &Make<CompLateRoomMsg>},
    {CompInvalidRoomMsg::kTag, &Make<CompInvalidRoomMsg>},
    {CompListBeginRoomMsg::kTag, &Make<CompListBeginRoomMsg>},
    {CompListItemRoomMsg::kTag, &Make<CompListItemRoomMsg>},
    {CompListEndRoomMsg::kTag, &Make<CompListEndRoomMsg>},
    {VoteRoomMsg::kTag, &Make<VoteRoomMsg>},
    {VoteReceivedRoomMsg::kTag, &Make<VoteReceivedRoomMsg>},
    {VoteLateRoomMsg::kTag, &Make<VoteLateRoomMsg>},
    {VoteInvalidRoomMsg::kTag, &Make<VoteInvalidRoomMsg>},
    {ResultsListBeginRoomMsg::kTag, &Make<ResultsListBeginRoomMsg>},
    {ResultsListItemRoomMsg::kTag, &Make<ResultsListItemRoomMsg>},
    {ResultsListEndRoomMsg::kTag, &Make<ResultsListEndRoomMsg>},
    {FatChanceSelectionRoomMsg::kTag, &Make<FatChanceSelectionRoomMsg>},
    {FatChanceSelectionReceivedRoomMsg::kTag, &Make<FatChanceSelectionReceivedRoomMsg>},
    {FatChanceSelectionLateRoomMsg::kTag, &Make<FatChanceSelectionLateRoomMsg>},
    {FatChanceSelectionInvalidRoomMsg::kTag, &Make<FatChanceSelectionInvalidRoomMsg>},
    {DownloadPictureRoomMsg::kTag, &Make<DownloadPictureRoomMsg>},
    {ComplaintRoomMsg::kTag, &Make<ComplaintRoomMsg>},
    {PictureViewedRoomMsg::kTag, &Make<PictureViewedRoomMsg>},
};

}  // namespace

std::unique_ptr<RoomMsg> PictureRoomMsgFactory::CreateRoomMsg(RoomMsgStream& stream) {
    try {
        const std::string tag = PeekTag(stream);
        for (const TagRow& row : kTags) {
            if (row.tag == tag) return row.make(stream);
        }
        return RoomMsgFactory::CreateRoomMsg(stream);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void PictureRoomMsgFactory::Register() {
    ObjectRegistry::RegisterSingleton(kName, &ObjectRegistry::CreateInstance<PictureRoomMsgFactory>,
                                      &ObjectRegistry::DeleteInstance);
}
