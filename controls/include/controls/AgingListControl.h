#pragma once

#include "controls/ListControl.h"
#include "framework/Executable.h"
#include "framework/xRGB.h"

#include <cstdint>
#include <memory>
#include <vector>

class ExecutableSupport;

// A list whose new rows fade in: a row is drawn white when it is added and its
// first colour moves in a straight line to the colour asked for over five
// seconds of the application clock, one step per pass while the list is
// started. The ageing data of a row moves with it when the list shifts rows.
class AgingListControl : public ListControl, public virtual Executable {
  public:
    static constexpr std::uint32_t kFadeMs = 5000;
    static constexpr xRGB kWhite{255, 255, 255};
    static constexpr std::int32_t kAgeing = 1;
    static constexpr std::int32_t kSettled = 2;

    // The list's arguments without a fifth column.
    AgingListControl(UI* parent, MsgReceiver* receiver, std::int32_t layer, std::int32_t firstItem,
                     std::int32_t lastItem, std::int32_t resourceId, std::int32_t openingAnimation,
                     std::int32_t closingAnimation, std::int32_t textAnimation, std::int32_t hitAreaAnimation,
                     std::int32_t columns, std::int32_t capacity, bool dropWhenFull);
    ~AgingListControl() override;

    std::int32_t AddRow(const std::string& cell0, const std::string& cell1, const std::string& cell2,
                        const std::string& cell3, const std::string& cell4, bool marked,
                        std::int32_t firstColour, std::int32_t secondColour) override;
    void RemoveAllRows() override;
    void CopyRow(std::int32_t to, std::int32_t from) override;

    virtual void StartAgeing();
    virtual void StopAgeing();
    virtual bool IsAgeing() const;

    void OnStarting() override;
    void OnStopping() override;
    // The colour step.
    void Execute() override;

    std::int32_t GetAgeState(std::int32_t index) const { return Slot(index).state; }
    std::uint32_t GetStartTime(std::int32_t index) const { return Slot(index).start; }
    xRGB GetEndColour(std::int32_t index) const { return Slot(index).end; }
    bool HasAgeingRows() const { return ageing_; }

  private:
    struct Age {
        std::int32_t state = kSettled;
        std::uint32_t start = 0xFFFFFFFFu;
        xRGB from = kWhite;
        xRGB end = kWhite;
    };
    // Grows the slots with the list's rows.
    void FitSlots();
    const Age& Slot(std::int32_t index) const { return slots_.at(static_cast<std::size_t>(index)); }

    std::vector<Age> slots_;
    bool ageing_ = false;
    std::unique_ptr<ExecutableSupport> executable_;
};
