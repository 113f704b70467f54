#pragma once

#include "framework/Control.h"
#include "framework/xRGB.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Animation;
class KeyboardCharMsg;
class MouseReceiverThing;
class ParallelSequencer;
class ScrollBarControl;

// The five sort keys of a list: a column each and how it compares. Mode -1
// (and any mode other than 0, 1, 2) skips the key; 0 compares the cells as
// text, 1 as ascending and 2 as descending numbers (the value at the start of
// the cell, as the C library reads it).
struct ListSortKeys {
    std::array<std::int32_t, 5> columns{0, 1, 2, 3, 4};
    std::array<std::int32_t, 5> modes{0, 0, 0, 0, 0};
};

// One row of a list, copied by value when the list moves it.
struct ListRow {
    std::int32_t id = 0;
    std::array<std::string, 5> cells;
    bool marked = true;
    bool spare = false;  // cleared when the row is made; the list does not read it
    xRGB first{0, 0, 0};
    xRGB second{1, 0, 0};
    const ListSortKeys* sortKeys = nullptr;

    // -1 when this row sorts before the other, 1 after, 0 when they are equal on
    // every key (or the row has no keys).
    int Compare(const ListRow& other) const;
};

// A multi-column text list drawn in the numbered text items of a text
// animation: the art gives the look, the list fills in texts and colours. Rows
// live in an array with a fixed or growing capacity, optionally sorted; a
// selection, a scrolling offset, an optional scroll bar, an optional opening and
// closing animation and an optional hit area that turns clicks into selection
// messages. Reverse order shows the first row at the bottom of each column.
//
// The selection always names the row it showed: rows inserted or removed before
// it move it with its row, and removing it (or every row) clears it.
class ListControl : public Control {
  public:
    static constexpr xRGB kNoColour{252, 253, 254};

    // Text items first..last are the visible cells (rows per page = their count,
    // divided among the columns); capacity -1 grows by a page when full.
    // Animation numbers 0 mean none, the fifth column's -1.
    ListControl(UI* parent, MsgReceiver* receiver, std::int32_t layer, std::int32_t firstItem,
                std::int32_t lastItem, std::int32_t resourceId, std::int32_t openingAnimation,
                std::int32_t closingAnimation, std::int32_t textAnimation, std::int32_t hitAreaAnimation,
                std::int32_t columns, std::int32_t capacity, bool dropWhenFull,
                std::int32_t fifthColumnAnimation);
    ~ListControl() override;

    // The scroll bar's art and position arguments, as its constructor takes them.
    virtual void CreateScrollBar(std::int32_t resourceId, std::int32_t firstUp, std::int32_t firstDown,
                                 std::int32_t firstHitArea, std::int32_t secondUp, std::int32_t secondDown,
                                 std::int32_t secondHitArea, std::int32_t reserved, std::int32_t thumb,
                                 std::int32_t thumbHitArea, std::int32_t track);
    virtual void SetForwardOrder();
    virtual void SetReverseOrder();
    virtual bool IsForwardOrder() const { return forward_; }
    virtual void EnableSelection();
    virtual void DisableSelection();
    virtual bool IsSelectionEnabled() const { return selectionEnabled_; }
    virtual void MarkRow(std::int32_t id);
    virtual void UnmarkRow(std::int32_t id);
    virtual bool IsRowMarked(std::int32_t id) const;
    // The colour numbers index the colour table of the first text item. The new
    // row's id, or -1 when a full fixed list refuses it.
    virtual std::int32_t AddRow(const std::string& cell0, const std::string& cell1, const std::string& cell2,
                                const std::string& cell3, const std::string& cell4, bool marked,
                                std::int32_t firstColour, std::int32_t secondColour);
    virtual std::int32_t SetCell(std::int32_t id, std::int32_t column, const std::string& text, bool noSort);
    virtual std::string& GetCellText(std::string& out, std::int32_t id, std::int32_t column) const;
    virtual std::int32_t RemoveRow(std::int32_t id);
    virtual void RemoveAllRows();
    virtual std::int32_t GetRowCount() const { return count_; }
    virtual std::int32_t FindRow(std::int32_t column, const std::string& text, bool exact) const;
    virtual std::int32_t FindRowEx(std::int32_t column, const std::string& text) const;
    virtual std::int32_t GetRowId(std::int32_t index) const;
    virtual void SelectRow(std::int32_t id);
    virtual std::int32_t GetSelectedRowId() const;
    virtual void SetHighlightColour(const xRGB& colour) { highlight_ = colour; }
    virtual xRGB GetHighlightColour() const { return highlight_; }
    virtual void SetAppendAtEnd() { appendAtEnd_ = true; }
    virtual void ClearAppendAtEnd() { appendAtEnd_ = false; }
    virtual bool IsAppendAtEnd() const { return appendAtEnd_; }
    virtual void OnKeyboardChar(const KeyboardCharMsg& msg);
    virtual const std::string* BeginCellIteration();
    virtual const std::string* NextCellText();
    // Copies the row at `from` over the row at `to`: how insertion and removal
    // move rows.
    virtual void CopyRow(std::int32_t to, std::int32_t from);

    // Pairs whose column is -1 keep the default key.
    void SetSortKeys(std::int32_t column0, std::int32_t mode0, std::int32_t column1, std::int32_t mode1,
                     std::int32_t column2, std::int32_t mode2, std::int32_t column3, std::int32_t mode3,
                     std::int32_t column4, std::int32_t mode4);
    void SetSorted() { sorted_ = true; }
    bool IsSorted() const { return sorted_; }
    void Sort();
    // Fills the visible items (only while started); 0.
    std::int32_t Refresh();
    void EnsureSelectionVisible();

    // Scrolling steps; each that changes the top redraws and reports true.
    bool LineUp();
    bool LineDown();
    bool PageUp();
    bool PageDown();
    bool ScrollToTop();
    bool ScrollToEnd();

    std::int32_t GetTop() const { return top_; }
    std::int32_t GetRowsPerPage() const { return rowsPerPage_; }
    std::int32_t GetColumnCount() const { return columns_; }
    std::int32_t GetCapacity() const { return capacity_; }
    std::int32_t GetSelectedIndex() const { return selected_; }
    std::int32_t GetRowHeight() const { return rowHeight_; }
    // The text item of visible line `line` (0 at the top of the page) in a column.
    std::int16_t ItemOf(std::int32_t line, std::int32_t column) const;
    const ListRow& GetRow(std::int32_t index) const { return rows_.at(static_cast<std::size_t>(index)); }
    Animation& GetTextAnimation() { return *text_; }
    Animation* GetFifthColumnAnimation() { return fifth_.get(); }
    ScrollBarControl* GetScrollBar() { return scrollBar_.get(); }
    MouseReceiverThing* GetHitArea() { return hitArea_.get(); }
    ParallelSequencer& GetBodySequencer() { return *body_; }

    void OnStarting() override;
    void OnStarted() override { Refresh(); }
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

  protected:
    // The row's first colour, for the ageing list.
    void SetRowFirstColour(std::int32_t index, const xRGB& colour) {
        rows_[static_cast<std::size_t>(index)].first = colour;
    }
    xRGB ColourOf(std::int32_t number);
    std::int32_t IndexOf(std::int32_t id) const;
    std::weak_ptr<void> GetLifeToken() const { return life_; }

  private:
    // Copies row `from` over row `to` without the virtual hook.
    void MoveRowData(std::int32_t to, std::int32_t from);
    void Draw();
    void SetItemText(std::int32_t column, std::int16_t item, const std::string& text);
    void SetItemTextColour(std::int32_t column, std::int16_t item, const xRGB& colour);
    void SetItemBackColour(std::int32_t column, std::int16_t item, const xRGB& colour);
    void ClearBackgrounds();
    std::int32_t PageStep() const;
    void SendSelection(const Msg& msg);
    void OnClick(std::int32_t y);
    void OnDoubleClick(std::int32_t y);
    void OnScrollBarPosition();

    std::shared_ptr<char> life_ = std::make_shared<char>();
    xRGB highlight_{0, 0, 255};
    std::int32_t columns_ = 1;
    std::int32_t rowsPerPage_ = 1;
    std::int32_t top_ = 0;
    std::int32_t count_ = 0;
    bool forward_ = true;
    std::int32_t firstItem_ = 0;
    bool appendAtEnd_ = true;
    bool sorted_ = false;
    ListSortKeys sortKeys_;
    bool dropWhenFull_ = false;
    bool selectionEnabled_ = false;
    std::int32_t selected_ = -1;
    std::int32_t walkRow_ = 0;
    std::int32_t walkColumn_ = 0;
    std::int32_t walked_ = 0;
    bool autoGrow_ = false;
    std::unique_ptr<ScrollBarControl> scrollBar_;
    std::unique_ptr<Animation> opening_;
    std::unique_ptr<Animation> closing_;
    std::unique_ptr<Animation> text_;
    std::unique_ptr<Animation> fifth_;
    std::unique_ptr<ParallelSequencer> body_;
    std::unique_ptr<MouseReceiverThing> hitArea_;
    std::int32_t rowHeight_ = 0;
    std::int32_t itemFirstArg_ = 0;
    std::int32_t itemLastArg_ = 0;
    bool hasFifth_ = false;
    // The first text item's colours as they were before the list drew.
    std::array<xRGB, 4> colourTable_{};
    bool hasColourTable_ = false;
    std::int32_t capacity_ = 0;
    std::vector<ListRow> rows_;
};
