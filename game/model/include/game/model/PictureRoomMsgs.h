#pragma once

// The game's room messages, one class per tag, following the generic ones: each
// has a constructor from its field values, a copy constructor (Clone) and one from
// a stream (the factory), which reads the tag and the fields in wire order and
// throws InvalidRoomMsg when a field fails. Segment messages take the segment's
// five numbers last.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "net/FatChanceEntry.h"
#include "net/GenericRoomMsgs.h"
#include "net/PictureInfo.h"
#include "net/RoomMsg.h"

// The standings of a finished game, without a tag: the count, then a name and a
// score per player. The two lists always have the same length.
class GameStandings {
  public:
    GameStandings() = default;
    // Pairs the lists; a score missing for a name counts 0, surplus scores are dropped.
    GameStandings(std::vector<std::string> names, std::vector<std::int32_t> scores);

    const std::vector<std::string>& GetNames() const { return names_; }
    const std::vector<std::int32_t>& GetScores() const { return scores_; }

    void WriteField(RoomMsgStream& stream) const;
    // Empties the lists first; a count below 1 reads no entry.
    void ReadField(RoomMsgStream& stream);

    bool operator==(const GameStandings&) const = default;

  private:
    std::vector<std::string> names_;
    std::vector<std::int32_t> scores_;
};

// "H": The room bot greets the room.
class HelloRoomMsg : public RoomMsgOf<HelloRoomMsg> {
  public:
    static constexpr const char* kTag = "H";

    explicit HelloRoomMsg(std::string greeting) : greeting_(std::move(greeting)) {}
    explicit HelloRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const std::string& GetGreeting() const { return greeting_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.greeting_...);
    }

  private:
    std::string greeting_;
};

// "SC": Starts the composition screen: the picture to caption, the round kind (0 to 4) and three texts the
// screen reads for kind 3.
class StartCompRoomMsg : public RoomMsgOf<StartCompRoomMsg, SegmentRoomMsg> {
  public:
    static constexpr const char* kTag = "SC";

    StartCompRoomMsg(std::int32_t segmentId, PictureInfo picture, std::int32_t roundKind, std::string text1,
                     std::string text2, std::string text3, std::uint32_t timeStamp, std::int32_t startDelay,
                     std::int32_t arg3, std::int32_t arg4, std::int32_t length)
        : RoomMsgOf(timeStamp, startDelay, arg3, arg4, length),
          segmentId_(segmentId),
          picture_(std::move(picture)),
          roundKind_(roundKind),
          text1_(std::move(text1)),
          text2_(std::move(text2)),
          text3_(std::move(text3)) {}
    explicit StartCompRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetSegmentId() const { return segmentId_; }
    const PictureInfo& GetPicture() const { return picture_; }
    std::int32_t GetRoundKind() const { return roundKind_; }
    const std::string& GetText1() const { return text1_; }
    const std::string& GetText2() const { return text2_; }
    const std::string& GetText3() const { return text3_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.segmentId_...);
        f(s.picture_...);
        f(s.roundKind_...);
        f(s.text1_...);
        f(s.text2_...);
        f(s.text3_...);
    }

  private:
    std::int32_t segmentId_ = 0;
    PictureInfo picture_;
    std::int32_t roundKind_ = 0;
    std::string text1_;
    std::string text2_;
    std::string text3_;
};

// "SV": Starts the voting screen on the captions listed before it.
class StartVoteRoomMsg : public RoomMsgOf<StartVoteRoomMsg, SegmentRoomMsg> {
  public:
    static constexpr const char* kTag = "SV";

    StartVoteRoomMsg(std::int32_t segmentId, PictureInfo picture, bool flag, std::uint32_t timeStamp,
                     std::int32_t startDelay, std::int32_t arg3, std::int32_t arg4, std::int32_t length)
        : RoomMsgOf(timeStamp, startDelay, arg3, arg4, length),
          segmentId_(segmentId),
          picture_(std::move(picture)),
          flag_(flag) {}
    explicit StartVoteRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetSegmentId() const { return segmentId_; }
    const PictureInfo& GetPicture() const { return picture_; }
    bool GetFlag() const { return flag_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.segmentId_...);
        f(s.picture_...);
        f(s.flag_...);
    }

  private:
    std::int32_t segmentId_ = 0;
    PictureInfo picture_;
    bool flag_ = false;
};

// "SS": Starts the scoring screen on the results listed before it; a non-empty name comes with its number.
class StartScoreRoomMsg : public RoomMsgOf<StartScoreRoomMsg, SegmentRoomMsg> {
  public:
    static constexpr const char* kTag = "SS";

    StartScoreRoomMsg(bool flag1, bool flag2, bool flag3, std::int32_t number, std::string name,
                      std::uint32_t timeStamp, std::int32_t startDelay, std::int32_t arg3, std::int32_t arg4,
                      std::int32_t length)
        : RoomMsgOf(timeStamp, startDelay, arg3, arg4, length),
          flag1_(flag1),
          flag2_(flag2),
          flag3_(flag3),
          number_(number),
          name_(std::move(name)) {}
    explicit StartScoreRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    bool GetFlag1() const { return flag1_; }
    bool GetFlag2() const { return flag2_; }
    bool GetFlag3() const { return flag3_; }
    std::int32_t GetNumber() const { return number_; }
    const std::string& GetName() const { return name_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.flag1_...);
        f(s.flag2_...);
        f(s.flag3_...);
        f(s.number_...);
        f(s.name_...);
    }

  private:
    bool flag1_ = false;
    bool flag2_ = false;
    bool flag3_ = false;
    std::int32_t number_ = 0;
    std::string name_;
};

// "SRW": Starts the round-winner screen; an empty winner name means the round had no winner. Line 2 is shown
// when the second flag is set.
class StartRoundWinnerRoomMsg : public RoomMsgOf<StartRoundWinnerRoomMsg, SegmentRoomMsg> {
  public:
    static constexpr const char* kTag = "SRW";

    StartRoundWinnerRoomMsg(std::string winnerName, std::string line1, std::string line2, PictureInfo picture,
                            bool flag1, bool flag2, bool flag3, std::uint32_t timeStamp,
                            std::int32_t startDelay, std::int32_t arg3, std::int32_t arg4,
                            std::int32_t length)
        : RoomMsgOf(timeStamp, startDelay, arg3, arg4, length),
          winnerName_(std::move(winnerName)),
          line1_(std::move(line1)),
          line2_(std::move(line2)),
          picture_(std::move(picture)),
          flag1_(flag1),
          flag2_(flag2),
          flag3_(flag3) {}
    explicit StartRoundWinnerRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const std::string& GetWinnerName() const { return winnerName_; }
    const std::string& GetLine1() const { return line1_; }
    const std::string& GetLine2() const { return line2_; }
    const PictureInfo& GetPicture() const { return picture_; }
    bool GetFlag1() const { return flag1_; }
    bool GetFlag2() const { return flag2_; }
    bool GetFlag3() const { return flag3_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.winnerName_...);
        f(s.line1_...);
        f(s.line2_...);
        f(s.picture_...);
        f(s.flag1_...);
        f(s.flag2_...);
        f(s.flag3_...);
    }

  private:
    std::string winnerName_;
    std::string line1_;
    std::string line2_;
    PictureInfo picture_;
    bool flag1_ = false;
    bool flag2_ = false;
    bool flag3_ = false;
};

// "SFCS": Starts the Dar Eradar selection: who selects, and the entries to choose from.
class StartFatChanceSelectionRoomMsg : public RoomMsgOf<StartFatChanceSelectionRoomMsg, SegmentRoomMsg> {
  public:
    static constexpr const char* kTag = "SFCS";

    StartFatChanceSelectionRoomMsg(std::int32_t segmentId, std::string selectorName, std::int32_t number1,
                                   std::vector<FatChanceEntry> entries, bool flag, std::int32_t number2,
                                   std::uint32_t timeStamp, std::int32_t startDelay, std::int32_t arg3,
                                   std::int32_t arg4, std::int32_t length)
        : RoomMsgOf(timeStamp, startDelay, arg3, arg4, length),
          segmentId_(segmentId),
          selectorName_(std::move(selectorName)),
          number1_(number1),
          entries_(std::move(entries)),
          flag_(flag),
          number2_(number2) {}
    explicit StartFatChanceSelectionRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetSegmentId() const { return segmentId_; }
    const std::string& GetSelectorName() const { return selectorName_; }
    std::int32_t GetNumber1() const { return number1_; }
    const std::vector<FatChanceEntry>& GetEntries() const { return entries_; }
    bool GetFlag() const { return flag_; }
    std::int32_t GetNumber2() const { return number2_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.segmentId_...);
        f(s.selectorName_...);
        f(s.number1_...);
        f(s.entries_...);
        f(s.flag_...);
        f(s.number2_...);
    }

  private:
    std::int32_t segmentId_ = 0;
    std::string selectorName_;
    std::int32_t number1_ = 0;
    std::vector<FatChanceEntry> entries_;
    bool flag_ = false;
    std::int32_t number2_ = 0;
};

// "SFCR": Starts the Dar Eradar results.
class StartFatChanceResultsRoomMsg : public RoomMsgOf<StartFatChanceResultsRoomMsg, SegmentRoomMsg> {
  public:
    static constexpr const char* kTag = "SFCR";

    StartFatChanceResultsRoomMsg(std::string selectorName, std::vector<FatChanceEntry> entries,
                                 std::int32_t number1, std::int32_t number2, std::uint32_t timeStamp,
                                 std::int32_t startDelay, std::int32_t arg3, std::int32_t arg4,
                                 std::int32_t length)
        : RoomMsgOf(timeStamp, startDelay, arg3, arg4, length),
          selectorName_(std::move(selectorName)),
          entries_(std::move(entries)),
          number1_(number1),
          number2_(number2) {}
    explicit StartFatChanceResultsRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const std::string& GetSelectorName() const { return selectorName_; }
    const std::vector<FatChanceEntry>& GetEntries() const { return entries_; }
    std::int32_t GetNumber1() const { return number1_; }
    std::int32_t GetNumber2() const { return number2_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.selectorName_...);
        f(s.entries_...);
        f(s.number1_...);
        f(s.number2_...);
    }

  private:
    std::string selectorName_;
    std::vector<FatChanceEntry> entries_;
    std::int32_t number1_ = 0;
    std::int32_t number2_ = 0;
};

// "SGW": Starts the game-winner screen with the standings in the order sent.
class StartGameWinnerRoomMsg : public RoomMsgOf<StartGameWinnerRoomMsg, SegmentRoomMsg> {
  public:
    static constexpr const char* kTag = "SGW";

    StartGameWinnerRoomMsg(bool flag, GameStandings standings, std::uint32_t timeStamp,
                           std::int32_t startDelay, std::int32_t arg3, std::int32_t arg4, std::int32_t length)
        : RoomMsgOf(timeStamp, startDelay, arg3, arg4, length),
          flag_(flag),
          standings_(std::move(standings)) {}
    explicit StartGameWinnerRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    bool GetFlag() const { return flag_; }
    const GameStandings& GetStandings() const { return standings_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.flag_...);
        f(s.standings_...);
    }

  private:
    bool flag_ = false;
    GameStandings standings_;
};

// "SZuvA": An ad break of the game: its own number, then the generic "SA" part
// whole (flag, ad list, segment).
class StartPictureAdsRoomMsg : public StartAdsRoomMsg {
  public:
    static constexpr const char* kTag = "SZuvA";

    StartPictureAdsRoomMsg(std::int32_t number, bool flag, std::vector<AdInfo> ads, std::uint32_t timeStamp,
                           std::int32_t startDelay, std::int32_t arg3, std::int32_t arg4, std::int32_t length)
        : StartAdsRoomMsg(flag, std::move(ads), timeStamp, startDelay, arg3, arg4, length), number_(number) {}
    explicit StartPictureAdsRoomMsg(RoomMsgStream& stream);

    std::int32_t GetNumber() const { return number_; }

    std::unique_ptr<Msg> Clone() const override;
    std::string Write(RoomMsgStream* extra) const override;
    const std::string& GetTag() const override;
    bool Equals(const RoomMsg& other) const override;

  private:
    std::int32_t number_ = 0;
};

// "SP": Starts the preflight screen on its picture.
class StartPreflightRoomMsg : public RoomMsgOf<StartPreflightRoomMsg, SegmentRoomMsg> {
  public:
    static constexpr const char* kTag = "SP";

    StartPreflightRoomMsg(PictureInfo picture, std::uint32_t timeStamp, std::int32_t startDelay,
                          std::int32_t arg3, std::int32_t arg4, std::int32_t length)
        : RoomMsgOf(timeStamp, startDelay, arg3, arg4, length), picture_(std::move(picture)) {}
    explicit StartPreflightRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const PictureInfo& GetPicture() const { return picture_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.picture_...);
    }

  private:
    PictureInfo picture_;
};

// "C": The client's caption, its two lines.
class CompRoomMsg : public RoomMsgOf<CompRoomMsg> {
  public:
    static constexpr const char* kTag = "C";

    CompRoomMsg(std::int32_t segmentId, std::string line1, std::string line2)
        : segmentId_(segmentId), line1_(std::move(line1)), line2_(std::move(line2)) {}
    explicit CompRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetSegmentId() const { return segmentId_; }
    const std::string& GetLine1() const { return line1_; }
    const std::string& GetLine2() const { return line2_; }
    // The sender puts the kept segment id here in place of the screen's -1.
    void SetSegmentId(std::int32_t segmentId) { segmentId_ = segmentId; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.segmentId_...);
        f(s.line1_...);
        f(s.line2_...);
    }

  private:
    std::int32_t segmentId_ = 0;
    std::string line1_;
    std::string line2_;
};

// "CR": The caption was received.
class CompReceivedRoomMsg : public RoomMsgOf<CompReceivedRoomMsg> {
  public:
    static constexpr const char* kTag = "CR";

    explicit CompReceivedRoomMsg(std::int32_t number) : number_(number) {}
    explicit CompReceivedRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetNumber() const { return number_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.number_...);
    }

  private:
    std::int32_t number_ = 0;
};

// "CL": The caption came too late.
class CompLateRoomMsg : public RoomMsgOf<CompLateRoomMsg> {
  public:
    static constexpr const char* kTag = "CL";

    explicit CompLateRoomMsg(std::int32_t number) : number_(number) {}
    explicit CompLateRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetNumber() const { return number_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.number_...);
    }

  private:
    std::int32_t number_ = 0;
};

// "CI": The caption was refused, with the reason.
class CompInvalidRoomMsg : public RoomMsgOf<CompInvalidRoomMsg> {
  public:
    static constexpr const char* kTag = "CI";

    CompInvalidRoomMsg(std::int32_t number, std::string text) : number_(number), text_(std::move(text)) {}
    explicit CompInvalidRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetNumber() const { return number_; }
    const std::string& GetText() const { return text_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.number_...);
        f(s.text_...);
    }

  private:
    std::int32_t number_ = 0;
    std::string text_;
};

// "CLB": The captions to vote on: begin.
class CompListBeginRoomMsg : public RoomMsgOf<CompListBeginRoomMsg> {
  public:
    static constexpr const char* kTag = "CLB";

    CompListBeginRoomMsg(std::int32_t count, std::int32_t number, bool flag)
        : count_(count), number_(number), flag_(flag) {}
    explicit CompListBeginRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetCount() const { return count_; }
    std::int32_t GetNumber() const { return number_; }
    bool GetFlag() const { return flag_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.count_...);
        f(s.number_...);
        f(s.flag_...);
    }

  private:
    std::int32_t count_ = 0;
    std::int32_t number_ = 0;
    bool flag_ = false;
};

// "CLI": The captions to vote on: one caption, numbered from 0.
class CompListItemRoomMsg : public RoomMsgOf<CompListItemRoomMsg> {
  public:
    static constexpr const char* kTag = "CLI";

    CompListItemRoomMsg(std::int32_t index, std::string authorName, std::string line1, std::string line2)
        : index_(index),
          authorName_(std::move(authorName)),
          line1_(std::move(line1)),
          line2_(std::move(line2)) {}
    explicit CompListItemRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetIndex() const { return index_; }
    const std::string& GetAuthorName() const { return authorName_; }
    const std::string& GetLine1() const { return line1_; }
    const std::string& GetLine2() const { return line2_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.index_...);
        f(s.authorName_...);
        f(s.line1_...);
        f(s.line2_...);
    }

  private:
    std::int32_t index_ = 0;
    std::string authorName_;
    std::string line1_;
    std::string line2_;
};

// "CLE": The captions to vote on: end.
class CompListEndRoomMsg : public RoomMsgOf<CompListEndRoomMsg> {
  public:
    static constexpr const char* kTag = "CLE";

    CompListEndRoomMsg() = default;
    explicit CompListEndRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    template <class F, class... S>
    static void Fields(F&&, S&...) {}
};

// "V": The client's vote: the author of the caption voted for.
class VoteRoomMsg : public RoomMsgOf<VoteRoomMsg> {
  public:
    static constexpr const char* kTag = "V";

    VoteRoomMsg(std::int32_t segmentId, std::string authorName)
        : segmentId_(segmentId), authorName_(std::move(authorName)) {}
    explicit VoteRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetSegmentId() const { return segmentId_; }
    const std::string& GetAuthorName() const { return authorName_; }
    // The sender puts the kept segment id here in place of the screen's -1.
    void SetSegmentId(std::int32_t segmentId) { segmentId_ = segmentId; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.segmentId_...);
        f(s.authorName_...);
    }

  private:
    std::int32_t segmentId_ = 0;
    std::string authorName_;
};

// "VR": The vote was received.
class VoteReceivedRoomMsg : public RoomMsgOf<VoteReceivedRoomMsg> {
  public:
    static constexpr const char* kTag = "VR";

    explicit VoteReceivedRoomMsg(std::int32_t number) : number_(number) {}
    explicit VoteReceivedRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetNumber() const { return number_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.number_...);
    }

  private:
    std::int32_t number_ = 0;
};

// "VL": The vote came too late.
class VoteLateRoomMsg : public RoomMsgOf<VoteLateRoomMsg> {
  public:
    static constexpr const char* kTag = "VL";

    explicit VoteLateRoomMsg(std::int32_t number) : number_(number) {}
    explicit VoteLateRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetNumber() const { return number_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.number_...);
    }

  private:
    std::int32_t number_ = 0;
};

// "VI": The vote was refused, with the reason.
class VoteInvalidRoomMsg : public RoomMsgOf<VoteInvalidRoomMsg> {
  public:
    static constexpr const char* kTag = "VI";

    VoteInvalidRoomMsg(std::int32_t number, std::string text) : number_(number), text_(std::move(text)) {}
    explicit VoteInvalidRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetNumber() const { return number_; }
    const std::string& GetText() const { return text_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.number_...);
        f(s.text_...);
    }

  private:
    std::int32_t number_ = 0;
    std::string text_;
};

// "RLB": The round's results: begin.
class ResultsListBeginRoomMsg : public RoomMsgOf<ResultsListBeginRoomMsg> {
  public:
    static constexpr const char* kTag = "RLB";

    ResultsListBeginRoomMsg(std::int32_t count, std::int32_t number1, std::int32_t number2, bool flag)
        : count_(count), number1_(number1), number2_(number2), flag_(flag) {}
    explicit ResultsListBeginRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetCount() const { return count_; }
    std::int32_t GetNumber1() const { return number1_; }
    std::int32_t GetNumber2() const { return number2_; }
    bool GetFlag() const { return flag_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.count_...);
        f(s.number1_...);
        f(s.number2_...);
        f(s.flag_...);
    }

  private:
    std::int32_t count_ = 0;
    std::int32_t number1_ = 0;
    std::int32_t number2_ = 0;
    bool flag_ = false;
};

// "RLI": The round's results: one caption's author, its votes, the round's points and the score after the
// round.
class ResultsListItemRoomMsg : public RoomMsgOf<ResultsListItemRoomMsg> {
  public:
    static constexpr const char* kTag = "RLI";

    ResultsListItemRoomMsg(std::int32_t index, std::string name, std::int32_t votes, std::int32_t points,
                           std::int32_t score, bool flag)
        : index_(index), name_(std::move(name)), votes_(votes), points_(points), score_(score), flag_(flag) {}
    explicit ResultsListItemRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetIndex() const { return index_; }
    const std::string& GetName() const { return name_; }
    std::int32_t GetVotes() const { return votes_; }
    std::int32_t GetPoints() const { return points_; }
    std::int32_t GetScore() const { return score_; }
    bool GetFlag() const { return flag_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.index_...);
        f(s.name_...);
        f(s.votes_...);
        f(s.points_...);
        f(s.score_...);
        f(s.flag_...);
    }

  private:
    std::int32_t index_ = 0;
    std::string name_;
    std::int32_t votes_ = 0;
    std::int32_t points_ = 0;
    std::int32_t score_ = 0;
    bool flag_ = false;
};

// "RLE": The round's results: end.
class ResultsListEndRoomMsg : public RoomMsgOf<ResultsListEndRoomMsg> {
  public:
    static constexpr const char* kTag = "RLE";

    ResultsListEndRoomMsg() = default;
    explicit ResultsListEndRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    template <class F, class... S>
    static void Fields(F&&, S&...) {}
};

// "FCS": The client's Dar Eradar choice: the chosen entry's number.
class FatChanceSelectionRoomMsg : public RoomMsgOf<FatChanceSelectionRoomMsg> {
  public:
    static constexpr const char* kTag = "FCS";

    FatChanceSelectionRoomMsg(std::int32_t segmentId, std::int32_t entry)
        : segmentId_(segmentId), entry_(entry) {}
    explicit FatChanceSelectionRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetSegmentId() const { return segmentId_; }
    std::int32_t GetEntry() const { return entry_; }
    // The sender puts the kept segment id here in place of the screen's -1.
    void SetSegmentId(std::int32_t segmentId) { segmentId_ = segmentId; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.segmentId_...);
        f(s.entry_...);
    }

  private:
    std::int32_t segmentId_ = 0;
    std::int32_t entry_ = 0;
};

// "FCSR": The Dar Eradar choice was received.
class FatChanceSelectionReceivedRoomMsg : public RoomMsgOf<FatChanceSelectionReceivedRoomMsg> {
  public:
    static constexpr const char* kTag = "FCSR";

    explicit FatChanceSelectionReceivedRoomMsg(std::int32_t number) : number_(number) {}
    explicit FatChanceSelectionReceivedRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetNumber() const { return number_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.number_...);
    }

  private:
    std::int32_t number_ = 0;
};

// "FCSL": The Dar Eradar choice came too late.
class FatChanceSelectionLateRoomMsg : public RoomMsgOf<FatChanceSelectionLateRoomMsg> {
  public:
    static constexpr const char* kTag = "FCSL";

    explicit FatChanceSelectionLateRoomMsg(std::int32_t number) : number_(number) {}
    explicit FatChanceSelectionLateRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetNumber() const { return number_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.number_...);
    }

  private:
    std::int32_t number_ = 0;
};

// "FCSI": The Dar Eradar choice was refused, with the reason.
class FatChanceSelectionInvalidRoomMsg : public RoomMsgOf<FatChanceSelectionInvalidRoomMsg> {
  public:
    static constexpr const char* kTag = "FCSI";

    FatChanceSelectionInvalidRoomMsg(std::int32_t number, std::string text)
        : number_(number), text_(std::move(text)) {}
    explicit FatChanceSelectionInvalidRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::int32_t GetNumber() const { return number_; }
    const std::string& GetText() const { return text_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.number_...);
        f(s.text_...);
    }

  private:
    std::int32_t number_ = 0;
    std::string text_;
};

// "DP": A picture to download at once.
class DownloadPictureRoomMsg : public RoomMsgOf<DownloadPictureRoomMsg> {
  public:
    static constexpr const char* kTag = "DP";

    explicit DownloadPictureRoomMsg(PictureInfo picture) : picture_(std::move(picture)) {}
    explicit DownloadPictureRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const PictureInfo& GetPicture() const { return picture_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.picture_...);
    }

  private:
    PictureInfo picture_;
};

// "CP": The client's complaint about a player: a reason code and a description ("NONE" when empty).
class ComplaintRoomMsg : public RoomMsgOf<ComplaintRoomMsg> {
  public:
    static constexpr const char* kTag = "CP";

    ComplaintRoomMsg(std::string name, std::int32_t reason, std::string description)
        : name_(std::move(name)), reason_(reason), description_(std::move(description)) {}
    explicit ComplaintRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    const std::string& GetName() const { return name_; }
    std::int32_t GetReason() const { return reason_; }
    const std::string& GetDescription() const { return description_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.name_...);
        f(s.reason_...);
        f(s.description_...);
    }

  private:
    std::string name_;
    std::int32_t reason_ = 0;
    std::string description_;
};

// "PV": The client has shown the picture.
class PictureViewedRoomMsg : public RoomMsgOf<PictureViewedRoomMsg> {
  public:
    static constexpr const char* kTag = "PV";

    explicit PictureViewedRoomMsg(std::uint32_t pictureId) : pictureId_(pictureId) {}
    explicit PictureViewedRoomMsg(RoomMsgStream& stream) { ReadAll(stream); }

    std::uint32_t GetPictureId() const { return pictureId_; }

    template <class F, class... S>
    static void Fields(F&& f, S&... s) {
        f(s.pictureId_...);
    }

  private:
    std::uint32_t pictureId_ = 0;
};
