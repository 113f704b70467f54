#pragma once

// A name and a score on a small board of the Dar Eradar art, and a second
// panel that shows a new score. The name and score reach the board when the
// control next starts; SetScore shows the second panel at once.

#include <cstdint>
#include <memory>
#include <string>

#include "framework/Control.h"

class Animation;

class NameAndScoreControl : public Control {
  public:
    static constexpr std::int32_t kStrip = 1500;        // Chance.srf
    static constexpr std::int32_t kBoardNumber = 2104;  // fields 244 name, 245 score
    static constexpr std::int32_t kPanelNumber = 2109;  // field 245 score
    static constexpr int kNameField = 244;
    static constexpr int kScoreField = 245;

    NameAndScoreControl(UI* parent, MsgReceiver* receiver, std::int32_t layer);
    ~NameAndScoreControl() override;

    // Only stored; shown by the next start.
    void SetNameAndScore(const std::string& name, std::int32_t score);
    void SetScore(std::int32_t score);

    const std::string& GetName() const { return name_; }
    std::int32_t GetScore() const { return score_; }
    Animation& GetNameBoard() { return *nameBoard_; }
    Animation& GetScorePanel() { return *scorePanel_; }

    void OnStarting() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

  private:
    std::unique_ptr<Animation> nameBoard_;
    std::unique_ptr<Animation> scorePanel_;
    // Nothing sets it before a first start that comes without SetNameAndScore.
    std::int32_t score_ = 0;
    std::string name_;
};
