#include "controls/ListControl.h"

#include "controls/ListSelectionMsgs.h"
#include "controls/ScrollBarControl.h"
#include "controls/ScrollBarPositionMsg.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/LeftButtonDoubleClickMouseMsg.h"
#include "framework/LeftButtonDownMouseMsg.h"
#include "framework/MouseReceiverThing.h"
#include "framework/PausedMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "media/Animation.h"
#include "sequencers/ParallelSequencer.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

// Every AddRow of every list takes the next one, stored or not.
std::int32_t nextRowId = 0;

// The decimal value at the start of the text, as the C library's
// string-to-integer conversion reads it; out-of-range values are held at the
// ends of the 32-bit range instead of being undefined.
std::int64_t LeadingNumber(const std::string& text) {
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return std::clamp<long long>(value, INT32_MIN, INT32_MAX);
}

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// Key codes of the key queue.
constexpr std::int32_t kKeyUp = 16;
constexpr std::int32_t kKeyDown = 17;
constexpr std::int32_t kKeyPageUp = 20;
constexpr std::int32_t kKeyPageDown = 21;
constexpr std::int32_t kKeyHome = 24;
constexpr std::int32_t kKeyEnd = 25;

}  // namespace

int ListRow::Compare(const ListRow& other) const {
    if (sortKeys == nullptr) {
        return 0;
    }
    for (std::size_t k = 0; k < sortKeys->columns.size(); ++k) {
        const std::int32_t column = sortKeys->columns[k];
        const std::int32_t mode = sortKeys->modes[k];
        if (mode < 0 || mode > 2 || column < 0 || column > 4) {
            continue;
        }
        const std::string& mine = cells[static_cast<std::size_t>(column)];
        const std::string& theirs = other.cells[static_cast<std::size_t>(column)];
        if (mode == 0) {
            const int c = mine.compare(theirs);
            if (c != 0) {
                return c < 0 ? -1 : 1;
            }
            continue;
        }
        const std::int64_t a = LeadingNumber(mine);
        const std::int64_t b = LeadingNumber(theirs);
        if (a != b) {
            if (mode == 1) {
                return a < b ? -1 : 1;
            }
            return a > b ? -1 : 1;
        }
    }
    return 0;
}

ListControl::ListControl(UI* parent, MsgReceiver* receiver, std::int32_t layer, std::int32_t firstItem,
                         std::int32_t lastItem, std::int32_t resourceId, std::int32_t openingAnimation,
                         std::int32_t closingAnimation, std::int32_t textAnimation,
                         std::int32_t hitAreaAnimation, std::int32_t columns, std::int32_t capacity,
                         bool dropWhenFull, std::int32_t fifthColumnAnimation)
    : Control(parent, receiver, layer) {
    itemFirstArg_ = firstItem;
    itemLastArg_ = lastItem;
    hasFifth_ = fifthColumnAnimation != -1;
    columns_ = std::clamp(columns, 1, hasFifth_ ? 5 : 4);
    const std::int64_t span = std::abs(std::int64_t{lastItem} - firstItem) + 1;
    // At least one row per page: the row height and the page steps divide by it.
    rowsPerPage_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(span / columns_, 1, 0x7FFF));
    firstItem_ = std::min(firstItem, lastItem);
    dropWhenFull_ = dropWhenFull;
    if (capacity == -1) {
        autoGrow_ = true;
        capacity_ = 2 * rowsPerPage_;
    } else {
        capacity_ = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(std::int64_t{capacity} + rowsPerPage_, 1, 0x100000));
    }

    body_ = std::make_unique<ParallelSequencer>(this);
    text_ = std::make_unique<Animation>(this, resourceId, textAnimation);
    body_->Add(text_.get());
    if (hasFifth_) {
        fifth_ = std::make_unique<Animation>(this, resourceId, fifthColumnAnimation);
        fifth_->SetLayer(GetLayer() + 1);
        body_->Add(fifth_.get());
    }
    if (openingAnimation != 0) {
        opening_ = std::make_unique<Animation>(this, resourceId, openingAnimation);
        opening_->SetHoldAtEnd();
    }
    if (closingAnimation != 0) {
        closing_ = std::make_unique<Animation>(this, resourceId, closingAnimation);
    }
    if (hitAreaAnimation != 0) {
        xRect bounds;
        {
            Animation measure(this, resourceId, hitAreaAnimation);
            measure.GetCelBounds(bounds);
        }
        hitArea_ = std::make_unique<MouseReceiverThing>(this, GetLayer() + 2, true, bounds, true);
        hitArea_->AddReceiver(this);
        rowHeight_ = (bounds.bottom - bounds.top) / rowsPerPage_;
    }
    if (text_->GetCelCount() == 1) {
        text_->SetHoldAtEnd();
    } else {
        text_->SetRepeatForever();
    }
    rows_.resize(static_cast<std::size_t>(capacity_));
    for (ListRow& row : rows_) {
        row.sortKeys = &sortKeys_;
    }
    sortKeys_ = ListSortKeys{};
}

ListControl::~ListControl() {
    body_.reset();
    scrollBar_.reset();
    hitArea_.reset();
    fifth_.reset();
    text_.reset();
    closing_.reset();
    opening_.reset();
}

void ListControl::CreateScrollBar(std::int32_t resourceId, std::int32_t firstUp, std::int32_t firstDown,
                                  std::int32_t firstHitArea, std::int32_t secondUp, std::int32_t secondDown,
                                  std::int32_t secondHitArea, std::int32_t reserved, std::int32_t thumb,
                                  std::int32_t thumbHitArea, std::int32_t track) {
    if (scrollBar_ != nullptr) {
        return;
    }
    scrollBar_ = std::make_unique<ScrollBarControl>(this, this, GetLayer(), resourceId, firstUp, firstDown,
                                                    firstHitArea, secondUp, secondDown, secondHitArea,
                                                    reserved, thumb, thumbHitArea, track);
    scrollBar_->SetRange(0, 0, 0);
    scrollBar_->SetLayer(GetLayer() + 1);
    if (!forward_) {
        scrollBar_->SetReversed();
    }
    body_->Add(scrollBar_.get());
}

void ListControl::SetForwardOrder() {
    forward_ = true;
    if (scrollBar_ != nullptr) {
        scrollBar_->ClearReversed();
    }
}

void ListControl::SetReverseOrder() {
    forward_ = false;
    if (scrollBar_ != nullptr) {
        scrollBar_->SetReversed();
    }
}

void ListControl::EnableSelection() {
    // An empty list has no row to name.
    selected_ = count_ > 0 ? 0 : -1;
    selectionEnabled_ = true;
    Refresh();
}

void ListControl::DisableSelection() {
    selectionEnabled_ = false;
    selected_ = -1;
    ClearBackgrounds();
}

void ListControl::MarkRow(std::int32_t id) {
    const std::int32_t index = IndexOf(id);
    if (selectionEnabled_ && id != -1 && index >= 0) {
        rows_[static_cast<std::size_t>(index)].marked = true;
        Refresh();
    }
}

void ListControl::UnmarkRow(std::int32_t id) {
    const std::int32_t index = IndexOf(id);
    if (selectionEnabled_ && id != -1 && index >= 0) {
        rows_[static_cast<std::size_t>(index)].marked = false;
        Refresh();
    }
}

bool ListControl::IsRowMarked(std::int32_t id) const {
    const std::int32_t index = IndexOf(id);
    return selectionEnabled_ && id != -1 && index >= 0 && rows_[static_cast<std::size_t>(index)].marked;
}

xRGB ListControl::ColourOf(std::int32_t number) {
    // The first text item is also a line of the list, and drawing a row there
    // writes that row's colour over the item's first colour: the table is read
    // once, before the list has drawn into it.
    if (!hasColourTable_) {
        for (std::size_t i = 0; i < colourTable_.size(); ++i) {
            text_->GetItemPaletteColour(colourTable_[i], itemFirstArg_, static_cast<int>(i));
        }
        hasColourTable_ = true;
    }
    return number >= 0 && number < static_cast<std::int32_t>(colourTable_.size())
               ? colourTable_[static_cast<std::size_t>(number)]
               : xRGB{};
}

std::int32_t ListControl::AddRow(const std::string& cell0, const std::string& cell1, const std::string& cell2,
                                 const std::string& cell3, const std::string& cell4, bool marked,
                                 std::int32_t firstColour, std::int32_t secondColour) {
    ListRow row;
    row.id = nextRowId;
    nextRowId = nextRowId == INT32_MAX ? 0 : nextRowId + 1;
    row.cells = {cell0, cell1, cell2, cell3, cell4};
    row.marked = marked;
    row.spare = false;
    row.first = ColourOf(firstColour);
    row.second = ColourOf(secondColour);
    row.sortKeys = &sortKeys_;

    if (count_ >= capacity_) {
        if (autoGrow_) {
            capacity_ += rowsPerPage_;
            ListRow spare;
            spare.sortKeys = &sortKeys_;
            rows_.resize(static_cast<std::size_t>(capacity_), spare);
        } else if (dropWhenFull_) {
            count_ = capacity_ - 1;
            if (selected_ >= count_) {
                selected_ = -1;  // the selected row was the one dropped
            }
        } else {
            return -1;
        }
    }

    std::int32_t at = 0;
    if (count_ > 0) {
        if (sorted_) {
            at = count_;
            for (std::int32_t i = 0; i < count_; ++i) {
                if (rows_[static_cast<std::size_t>(i)].Compare(row) > 0) {
                    at = i;
                    break;
                }
            }
        } else {
            at = appendAtEnd_ ? count_ : 0;
        }
        const std::weak_ptr<void> life = life_;
        for (std::int32_t i = count_; i > at; --i) {
            CopyRow(i, i - 1);
        }
        if (life.expired()) {
            return row.id;
        }
    }
    rows_[static_cast<std::size_t>(at)] = row;
    if (selected_ >= at) {
        ++selected_;
    }
    ++count_;
    if (IsStarted()) {
        Refresh();
    }
    return row.id;
}

std::int32_t ListControl::SetCell(std::int32_t id, std::int32_t column, const std::string& text, bool noSort) {
    const std::int32_t index = IndexOf(id);
    if (index < 0) {
        return -1;
    }
    if (column >= 0 && column <= 4) {
        rows_[static_cast<std::size_t>(index)].cells[static_cast<std::size_t>(column)] = text;
    }
    if (sorted_ && !noSort) {
        Sort();
    }
    return Refresh();
}

std::string& ListControl::GetCellText(std::string& out, std::int32_t id, std::int32_t column) const {
    const std::int32_t index = IndexOf(id);
    if (index < 0 || column < 0 || column > 4) {
        out.clear();
    } else {
        out = rows_[static_cast<std::size_t>(index)].cells[static_cast<std::size_t>(column)];
    }
    return out;
}

std::int32_t ListControl::RemoveRow(std::int32_t id) {
    const std::int32_t index = IndexOf(id);
    if (index < 0) {
        return -1;
    }
    if (selected_ == index) {
        selected_ = -1;
    } else if (selected_ > index) {
        --selected_;  // follows its row up
    }
    const std::weak_ptr<void> life = life_;
    for (std::int32_t i = index; i < count_ - 1; ++i) {
        CopyRow(i, i + 1);
    }
    if (life.expired()) {
        return 0;
    }
    --count_;
    Refresh();
    return 0;
}

void ListControl::RemoveAllRows() {
    count_ = 0;
    selected_ = -1;
    Refresh();
}

std::int32_t ListControl::FindRow(std::int32_t column, const std::string& text, bool exact) const {
    if (column < 0 || column > 4) {
        return -1;
    }
    for (std::int32_t i = 0; i < count_; ++i) {
        const ListRow& row = rows_[static_cast<std::size_t>(i)];
        const std::string& cell = row.cells[static_cast<std::size_t>(column)];
        if (exact ? cell == text : SameIgnoringAsciiCase(cell, text)) {
            return row.id;
        }
    }
    return -1;
}

std::int32_t ListControl::FindRowEx(std::int32_t column, const std::string& text) const {
    return FindRow(column, text, false);
}

std::int32_t ListControl::GetRowId(std::int32_t index) const {
    if (index < 0 || index >= count_) {
        return -1;
    }
    return rows_[static_cast<std::size_t>(index)].id;
}

void ListControl::SelectRow(std::int32_t id) {
    selected_ = IndexOf(id);
    if (selected_ >= 0) {
        EnsureSelectionVisible();
    }
    Refresh();
}

std::int32_t ListControl::GetSelectedRowId() const {
    return GetRowId(selected_);
}

std::int32_t ListControl::IndexOf(std::int32_t id) const {
    if (id == -1) {
        return -1;
    }
    for (std::int32_t i = 0; i < count_; ++i) {
        if (rows_[static_cast<std::size_t>(i)].id == id) {
            return i;
        }
    }
    return -1;
}

void ListControl::CopyRow(std::int32_t to, std::int32_t from) {
    MoveRowData(to, from);
}

void ListControl::MoveRowData(std::int32_t to, std::int32_t from) {
    if (to < 0 || from < 0 || to >= capacity_ || from >= capacity_) {
        return;
    }
    rows_[static_cast<std::size_t>(to)] = rows_[static_cast<std::size_t>(from)];
}

void ListControl::SetSortKeys(std::int32_t column0, std::int32_t mode0, std::int32_t column1, std::int32_t mode1,
                              std::int32_t column2, std::int32_t mode2, std::int32_t column3,
                              std::int32_t mode3, std::int32_t column4, std::int32_t mode4) {
    sortKeys_ = ListSortKeys{};
    const std::int32_t columns[5] = {column0, column1, column2, column3, column4};
    const std::int32_t modes[5] = {mode0, mode1, mode2, mode3, mode4};
    for (std::size_t k = 0; k < 5; ++k) {
        if (columns[k] != -1) {
            sortKeys_.columns[k] = columns[k];
            sortKeys_.modes[k] = modes[k];
        }
    }
}

void ListControl::Sort() {
    // The selection keeps naming its row, by id.
    const std::int32_t selectedId = GetSelectedRowId();
    std::sort(rows_.begin(), rows_.begin() + count_,
              [](const ListRow& a, const ListRow& b) { return a.Compare(b) < 0; });
    selected_ = IndexOf(selectedId);
    if (selectionEnabled_ && selected_ >= 0) {
        EnsureSelectionVisible();
    }
}

void ListControl::EnsureSelectionVisible() {
    const std::int32_t d = selected_ - top_;
    if (d >= 0 && d < rowsPerPage_) {
        return;
    }
    if (d < 0) {
        top_ = selected_;
    } else {
        top_ = selected_ - rowsPerPage_ + 1;
    }
}

std::int16_t ListControl::ItemOf(std::int32_t line, std::int32_t column) const {
    const std::int32_t item = forward_ ? column * rowsPerPage_ + firstItem_ + line
                                       : (column + 1) * rowsPerPage_ + firstItem_ - line - 1;
    return static_cast<std::int16_t>(item);
}

void ListControl::SetItemText(std::int32_t column, std::int16_t item, const std::string& text) {
    Animation* animation = column == 4 ? fifth_.get() : text_.get();
    if (animation != nullptr) {
        animation->SetText(item, text);
    }
}

void ListControl::SetItemTextColour(std::int32_t column, std::int16_t item, const xRGB& colour) {
    Animation* animation = column == 4 ? fifth_.get() : text_.get();
    if (animation != nullptr) {
        animation->SetItemColour(item, colour);
    }
}

void ListControl::SetItemBackColour(std::int32_t column, std::int16_t item, const xRGB& colour) {
    Animation* animation = column == 4 ? fifth_.get() : text_.get();
    if (animation != nullptr) {
        animation->SetItemBackColour(item, colour);
    }
}

void ListControl::ClearBackgrounds() {
    for (std::int32_t line = 0; line < rowsPerPage_; ++line) {
        for (std::int32_t c = 0; c < columns_; ++c) {
            SetItemBackColour(c, ItemOf(line, c), kNoColour);
        }
    }
}

std::int32_t ListControl::Refresh() {
    if (!IsStarted()) {
        return 0;
    }
    if (count_ < rowsPerPage_) {
        top_ = 0;
    }
    if (count_ - top_ < rowsPerPage_) {
        top_ = std::max(0, count_ - rowsPerPage_);
    }
    Draw();
    if (scrollBar_ != nullptr) {
        scrollBar_->SetRange(count_, top_, rowsPerPage_);
    }
    return 0;
}

void ListControl::Draw() {
    const std::int32_t shown = std::min(rowsPerPage_, count_);
    for (std::int32_t line = 0; line < shown; ++line) {
        const ListRow& row = rows_[static_cast<std::size_t>(top_ + line)];
        for (std::int32_t c = 0; c < columns_; ++c) {
            const std::int16_t item = ItemOf(line, c);
            SetItemText(c, item, row.cells[static_cast<std::size_t>(c)]);
            SetItemTextColour(c, item, row.marked ? row.first : row.second);
        }
    }
    for (std::int32_t line = shown; line < rowsPerPage_; ++line) {
        for (std::int32_t c = 0; c < columns_; ++c) {
            SetItemText(c, ItemOf(line, c), std::string());
        }
    }
    if (!forward_) {
        return;
    }
    const std::int32_t selectedLine = selectionEnabled_ ? selected_ - top_ : -1;
    for (std::int32_t line = 0; line < rowsPerPage_; ++line) {
        const bool lit = selectionEnabled_ && line == selectedLine && count_ > 0;
        for (std::int32_t c = 0; c < columns_; ++c) {
            SetItemBackColour(c, ItemOf(line, c), lit ? highlight_ : kNoColour);
        }
    }
}

std::int32_t ListControl::PageStep() const {
    return std::max(1, rowsPerPage_ - 1);
}

bool ListControl::LineUp() {
    if (top_ < 1) {
        return false;
    }
    --top_;
    Refresh();
    return true;
}

bool ListControl::LineDown() {
    if (top_ >= count_ - rowsPerPage_) {
        return false;
    }
    ++top_;
    Refresh();
    return true;
}

bool ListControl::PageUp() {
    if (top_ < 1) {
        return false;
    }
    top_ = std::max(0, top_ - PageStep());
    Refresh();
    return true;
}

// Jumps to the end one row early: a step that lands on the row before the
// last page goes all the way.
bool ListControl::PageDown() {
    const std::int32_t last = count_ - rowsPerPage_;
    if (top_ >= last) {
        return false;
    }
    top_ = top_ + PageStep() >= last - 1 ? last : top_ + PageStep();
    Refresh();
    return true;
}

bool ListControl::ScrollToTop() {
    if (top_ <= 0) {
        return false;
    }
    top_ = 0;
    Refresh();
    return true;
}

bool ListControl::ScrollToEnd() {
    const std::int32_t last = count_ - rowsPerPage_;
    if (top_ >= last) {
        return false;
    }
    top_ = last;
    Refresh();
    return true;
}

void ListControl::SendSelection(const Msg& msg) {
    Send(msg);
}

void ListControl::OnKeyboardChar(const KeyboardCharMsg& msg) {
    const std::int32_t key = msg.GetKey();
    if (selected_ >= 0) {
        bool moved = false;
        switch (key) {
            case kKeyUp:
                if (selected_ >= 1) {
                    --selected_;
                    if (selected_ < top_) {
                        LineUp();
                    }
                    moved = true;
                }
                break;
            case kKeyDown:
                if (selected_ < count_ - 1) {
                    ++selected_;
                    if (selected_ >= top_ + rowsPerPage_) {
                        LineDown();
                    }
                    moved = true;
                }
                break;
            case kKeyPageUp:
                if (selected_ >= 1) {
                    selected_ = std::max(0, selected_ - PageStep());
                    PageUp();
                    moved = true;
                }
                break;
            case kKeyPageDown:
                if (selected_ < count_ - 1) {
                    selected_ = std::min(count_ - 1, selected_ + PageStep());
                    PageDown();
                    moved = true;
                }
                break;
            case kKeyHome:
                if (selected_ > 0) {
                    selected_ = 0;
                    ScrollToTop();
                    Refresh();
                    moved = true;
                }
                break;
            case kKeyEnd:
                if (selected_ < count_ - 1) {
                    selected_ = count_ - 1;
                    ScrollToEnd();
                    Refresh();
                    moved = true;
                }
                break;
            default:
                break;
        }
        if (moved) {
            if (key != kKeyHome && key != kKeyEnd) {
                EnsureSelectionVisible();
                Refresh();
            }
            SendSelection(MsgListSelectionChanged());
        }
        return;
    }
    const bool f = forward_;
    switch (key) {
        case kKeyUp:
            f ? LineUp() : LineDown();
            break;
        case kKeyDown:
            f ? LineDown() : LineUp();
            break;
        case kKeyPageUp:
            f ? PageUp() : PageDown();
            break;
        case kKeyPageDown:
            f ? PageDown() : PageUp();
            break;
        case kKeyHome:
            f ? ScrollToTop() : ScrollToEnd();
            break;
        case kKeyEnd:
            f ? ScrollToEnd() : ScrollToTop();
            break;
        default:
            break;
    }
}

const std::string* ListControl::BeginCellIteration() {
    walkRow_ = forward_ ? 0 : count_ - 1;
    walkColumn_ = 0;
    walked_ = 0;
    return NextCellText();
}

const std::string* ListControl::NextCellText() {
    if (walked_ >= count_ || walkRow_ < 0 || walkRow_ >= count_) {
        return nullptr;
    }
    const std::string* cell =
        &rows_[static_cast<std::size_t>(walkRow_)].cells[static_cast<std::size_t>(walkColumn_)];
    ++walkColumn_;
    if (walkColumn_ >= columns_) {
        walkRow_ += forward_ ? 1 : -1;
        ++walked_;
        walkColumn_ = 0;
    }
    return cell;
}

void ListControl::OnStarting() {
    if (opening_ != nullptr) {
        opening_->Start();
    } else {
        body_->Start();
    }
}

void ListControl::OnStopping() {
    // Hands the first item its own first colour back, for whatever list uses
    // the item next.
    if (hasColourTable_) {
        text_->SetItemColour(itemFirstArg_, colourTable_[0]);
    }
    body_->Stop();
    if (closing_ != nullptr) {
        closing_->Start();
    }
}

void ListControl::OnClick(std::int32_t y) {
    // A hit area shorter than a page has no row height to divide by.
    if (rowHeight_ < 1 || y < 0) {
        return;
    }
    const std::int32_t index = y / rowHeight_ + top_;
    if (index >= count_) {
        return;
    }
    if (index == selected_) {
        SendSelection(MsgListSelectionUnChanged());
        return;
    }
    selected_ = index;
    const std::weak_ptr<void> life = life_;
    SendSelection(MsgListSelectionChanged());
    if (!life.expired()) {
        Refresh();
    }
}

void ListControl::OnDoubleClick(std::int32_t y) {
    if (rowHeight_ < 1 || y < 0) {
        return;
    }
    if (y / rowHeight_ + top_ == selected_ && selected_ >= 0) {
        SendSelection(MsgListSelectionDoubleClick());
    }
}

void ListControl::OnScrollBarPosition() {
    if (count_ > rowsPerPage_) {
        const std::int32_t wanted = std::min(scrollBar_->GetTop(), count_ - rowsPerPage_);
        if (scrollBar_->GetTop() != top_) {
            top_ = std::max(0, wanted);
            Refresh();
        }
    } else if (top_ != 0) {
        top_ = 0;
        Refresh();
    }
}

std::int32_t ListControl::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const auto is = [from](const auto& part) {
        return part != nullptr && from == static_cast<MsgSender*>(part.get());
    };
    const bool wanted = (is(opening_) && msg.Is<PausedMsg>()) ||
                        (is(body_) && (msg.Is<StartedMsg>() || msg.Is<StoppedMsg>())) ||
                        (is(closing_) && msg.Is<StoppedMsg>()) ||
                        (is(scrollBar_) && msg.Is<ScrollBarPositionMsg>()) ||
                        (is(hitArea_) && (msg.Is<LeftButtonDownMouseMsg>() ||
                                          msg.Is<LeftButtonDoubleClickMouseMsg>()));
    if (wanted && !fromQueue) {
        if (!queued) {
            QueueMsg(msg, from);
            queued = true;
        }
    } else if (wanted) {
        const std::weak_ptr<void> life = life_;
        if (is(opening_)) {
            if (!body_->IsStarting() && !body_->IsStarted()) {
                body_->Start();
            }
        } else if (is(body_) && msg.Is<StartedMsg>()) {
            if (IsStarting()) {
                DefaultOnStarting();
                if (!life.expired() && opening_ != nullptr &&
                    (opening_->IsStarted() || opening_->IsPaused())) {
                    opening_->Stop();
                }
            }
        } else if (is(body_)) {
            if (closing_ == nullptr && IsStopping()) {
                DefaultOnStopping();
            }
        } else if (is(closing_)) {
            if (IsStopping()) {
                DefaultOnStopping();
            }
        } else if (is(scrollBar_)) {
            OnScrollBarPosition();
        } else if (const auto* down = dynamic_cast<const LeftButtonDownMouseMsg*>(&msg)) {
            OnClick(down->GetPoint().y);
        } else if (const auto* twice = dynamic_cast<const LeftButtonDoubleClickMouseMsg*>(&msg)) {
            OnDoubleClick(twice->GetPoint().y);
        }
        if (life.expired()) {
            return 0;
        }
    }
    return Control::HandleMsg(msg, from, fromQueue, queued);
}
