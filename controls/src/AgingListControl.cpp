#include "controls/AgingListControl.h"

#include "framework/AppTime.h"
#include "framework/ExecutableSupport.h"

AgingListControl::AgingListControl(UI* parent, MsgReceiver* receiver, std::int32_t layer,
                                   std::int32_t firstItem, std::int32_t lastItem, std::int32_t resourceId,
                                   std::int32_t openingAnimation, std::int32_t closingAnimation,
                                   std::int32_t textAnimation, std::int32_t hitAreaAnimation,
                                   std::int32_t columns, std::int32_t capacity, bool dropWhenFull)
    : ListControl(parent, receiver, layer, firstItem, lastItem, resourceId, openingAnimation, closingAnimation,
                  textAnimation, hitAreaAnimation, columns, capacity, dropWhenFull, -1),
      executable_(std::make_unique<ExecutableSupport>(this)) {
    AgingListControl::RemoveAllRows();
}

AgingListControl::~AgingListControl() {
    executable_.reset();
}

void AgingListControl::FitSlots() {
    if (slots_.size() < static_cast<std::size_t>(GetCapacity())) {
        slots_.resize(static_cast<std::size_t>(GetCapacity()));
    }
}

std::int32_t AgingListControl::AddRow(const std::string& cell0, const std::string& cell1,
                                      const std::string& cell2, const std::string& cell3,
                                      const std::string& cell4, bool marked, std::int32_t firstColour,
                                      std::int32_t secondColour) {
    const std::weak_ptr<void> life = GetLifeToken();
    const std::int32_t id =
        ListControl::AddRow(cell0, cell1, cell2, cell3, cell4, marked, firstColour, secondColour);
    if (id == -1 || life.expired()) {
        return id;
    }
    const std::int32_t index = IndexOf(id);
    if (index < 0) {
        return id;
    }
    FitSlots();
    Age& age = slots_[static_cast<std::size_t>(index)];
    age.state = kAgeing;
    age.start = GetAppTime();
    age.from = kWhite;
    age.end = ColourOf(firstColour);
    SetRowFirstColour(index, age.from);
    ageing_ = true;
    Refresh();
    return id;
}

void AgingListControl::RemoveAllRows() {
    ListControl::RemoveAllRows();
    slots_.assign(static_cast<std::size_t>(GetCapacity()), Age{});
    ageing_ = false;
}

void AgingListControl::CopyRow(std::int32_t to, std::int32_t from) {
    ListControl::CopyRow(to, from);
    FitSlots();
    if (to < 0 || from < 0 || to >= static_cast<std::int32_t>(slots_.size()) ||
        from >= static_cast<std::int32_t>(slots_.size())) {
        return;
    }
    slots_[static_cast<std::size_t>(to)] = slots_[static_cast<std::size_t>(from)];
}

void AgingListControl::StartAgeing() {
    executable_->Schedule();
}

void AgingListControl::StopAgeing() {
    executable_->Unschedule();
}

bool AgingListControl::IsAgeing() const {
    return executable_->IsScheduled();
}

void AgingListControl::OnStarting() {
    ListControl::OnStarting();
    StartAgeing();
}

void AgingListControl::OnStopping() {
    StopAgeing();
    ListControl::OnStopping();
}

void AgingListControl::Execute() {
    if (!IsStarted() || !ageing_) {
        return;
    }
    ageing_ = false;
    const std::uint32_t now = GetAppTime();
    const std::weak_ptr<void> life = GetLifeToken();
    const std::int32_t count = std::min<std::int32_t>(GetRowCount(), static_cast<std::int32_t>(slots_.size()));
    for (std::int32_t i = 0; i < count; ++i) {
        Age& age = slots_[static_cast<std::size_t>(i)];
        if (age.state != kAgeing) {
            continue;
        }
        const auto elapsed = static_cast<std::int32_t>(now - age.start);
        if (elapsed > static_cast<std::int32_t>(kFadeMs)) {
            age.state = kSettled;
            SetRowFirstColour(i, age.end);
            Refresh();
        } else if (elapsed < 1) {
            ageing_ = true;
        } else {
            const auto step = [elapsed](std::uint8_t from, std::uint8_t to) {
                return static_cast<std::uint8_t>(from + (to - from) * elapsed / static_cast<std::int32_t>(kFadeMs));
            };
            const xRGB colour{step(age.from.red, age.end.red), step(age.from.green, age.end.green),
                              step(age.from.blue, age.end.blue)};
            if (!(colour == GetRow(i).first)) {
                SetRowFirstColour(i, colour);
                Refresh();
            }
            ageing_ = true;
        }
        if (life.expired()) {
            return;
        }
    }
}
