#pragma once

#include "framework/Control.h"

#include <cstdint>
#include <memory>
#include <string>

class EditControl;
class KeyboardCharMsg;
class ListControl;
class ParallelSequencer;

// The chat panel: a list of chat lines (fading in when ageing is on) above a
// one-line entry field, started and stopped together. The newest line is the
// list's first row, shown at the bottom; the list keeps at most 201 lines and
// drops the oldest. A line the user enters is trimmed of spaces and, with the
// language filter on, checked against the filter's words: a clean line goes to
// the owner as a LocalOriginChatMsg and the entry is cleared; a line with a
// listed word is answered inside the box and stays in the entry to be mended.
class ChatBox : public Control {
  public:
    // Colour numbers of the first text item's colour table.
    static constexpr std::int32_t kPlainColour = 0;
    static constexpr std::int32_t kReplyColour = 1;

    // Text items first..last are the visible lines; the three reserved values
    // are not used.
    ChatBox(UI* parent, MsgReceiver* receiver, std::int32_t layer, std::int32_t resourceId,
            std::int32_t firstItem, std::int32_t lastItem, std::int32_t openingAnimation,
            std::int32_t closingAnimation, std::int32_t textAnimation, std::int32_t entryTextAnimation,
            std::int32_t entryTextItem, std::int32_t reserved1, std::int32_t reserved2, std::int32_t reserved3,
            const std::string& replyName, std::int32_t entryMaxLength, bool ageing);
    ~ChatBox() override;

    void OnLostKeyboardFocus() override;
    void OnGainedKeyboardFocus() override;

    virtual void CreateScrollBar(std::int32_t resourceId, std::int32_t firstUp, std::int32_t firstDown,
                                 std::int32_t firstHitArea, std::int32_t secondUp, std::int32_t secondDown,
                                 std::int32_t secondHitArea, std::int32_t reserved, std::int32_t thumb,
                                 std::int32_t thumbHitArea, std::int32_t track);
    virtual void OnKeyboardChar(const KeyboardCharMsg& msg);
    virtual bool IsEditKeyboardTarget();
    virtual void AddLine(std::int32_t colour, const std::string& text);
    virtual void Clear();
    virtual void SetFlag(bool filterOn) { filterOn_ = filterOn; }
    virtual void AddText(const std::string& text);

    bool IsFilterOn() const { return filterOn_; }
    std::int32_t GetPageRows() const { return pageRows_; }
    ListControl& GetLines() { return *lines_; }
    EditControl& GetEntry() { return *entry_; }

    void OnStarting() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

  private:
    void OnEntered(const std::string& text);

    std::shared_ptr<char> life_ = std::make_shared<char>();
    std::int32_t pageRows_ = 0;
    bool filterOn_ = false;
    std::string replyName_;
    std::unique_ptr<ParallelSequencer> body_;
    std::unique_ptr<ListControl> lines_;
    std::unique_ptr<EditControl> entry_;
};
