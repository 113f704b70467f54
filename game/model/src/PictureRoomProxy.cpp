#include "game/model/PictureRoomProxy.h"

#include "game/model/PictureRoomMsgs.h"

void PictureRoomProxy::SendComp(std::int32_t segmentId, const std::string& line1, const std::string& line2) {
    Send(CompRoomMsg(segmentId, line1, line2));
}

void PictureRoomProxy::SendVote(std::int32_t segmentId, const std::string& authorName) {
    Send(VoteRoomMsg(segmentId, authorName));
}

void PictureRoomProxy::SendFatChanceSelection(std::int32_t segmentId, std::int32_t entry) {
    Send(FatChanceSelectionRoomMsg(segmentId, entry));
}

void PictureRoomProxy::SendComplaint(const ComplaintRoomMsg& msg) {
    Send(msg);
}

void PictureRoomProxy::SendPictureViewed(const PictureViewedRoomMsg& msg) {
    Send(msg);
}
