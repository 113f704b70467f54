#include "media/WinMixCanvas.h"

#include "media/WinScreenCanvas.h"

#include "divir/xError.h"

WinMixCanvas::WinMixCanvas() = default;

WinMixCanvas::~WinMixCanvas() {
    if (drawDepth_ > 0) {
        drawDepth_ = 1;
        EndDraw(nullptr);
    }
}

void WinMixCanvas::BeginDraw(xCanvasState* save) {
    ++drawDepth_;
    if (save != nullptr) {
        GetState(*save);
    }
}

void WinMixCanvas::EndDraw(const xCanvasState* restore) {
    if (drawDepth_ > 0) {
        --drawDepth_;
    }
    if (drawDepth_ > 0 && restore != nullptr) {
        SetState(*restore);
    }
}

void WinMixCanvas::BlitFrom(const xRect& mine, xCanvas& target, const xRect& theirs) {
    if ((target.GetKind() & (kScreen | kMix)) == 0) {
        return;
    }
    BeginDraw(nullptr);
    target.BeginDraw(nullptr);
    if (platform::DrawContext* to = target.GetDC(); to != nullptr && dc_ != nullptr) {
        to->StretchBlit(theirs.left, theirs.top, theirs.Width(), theirs.Height(), *dc_, mine.left, mine.top,
                        mine.Width(), mine.Height());
    }
    target.EndDraw(nullptr);
    EndDraw(nullptr);
}

void WinMixCanvas::BlitFromOther(const xRect& mine, xCanvas& source, const xRect& theirs) {
    if ((source.GetKind() & kMix) != 0) {
        StretchFromCanvas(mine, source, theirs);
    } else if ((source.GetKind() & kScreen) == 0) {
        source.BlitFrom(theirs, *this, mine);
    }
}

void WinMixCanvas::Create(WinScreenCanvas* screen, std::int16_t width, std::int16_t height, int depth) {
    kind_ = kMix;
    screen_ = screen;
    bounds_ = xRect(0, 0, width, height);
    depth_ = depth;
    if (depth != 8 && depth != 24) {
        throw 0;
    }
    auto surface = std::make_unique<platform::Surface>(width, height, depth, true);
    if (!surface->Valid()) {
        xThrow(kErrSystemResources);
        return;
    }
    surface_ = std::move(surface);
    LoadColourTable();
    memoryDc_.Bind(surface_.get());
    memoryDc_.SetBackgroundMode(platform::BackgroundMode::Transparent);
    memoryDc_.SetTextAlign(platform::kAlignUpdatePosition | platform::kAlignBaseline);
    memoryDc_.SelectBrush(platform::StockBlackBrush());
    memoryDc_.SelectPen(platform::StockBlackPen());
    dc_ = &memoryDc_;
    stride_ = platform::Surface::StrideFor(width, depth);
    rows_.resize(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        rows_[static_cast<std::size_t>(y)] = surface_->Row(y);
    }
}

void WinMixCanvas::LoadColourTable() {
    if (depth_ != 8 || !surface_) {
        return;
    }
    platform::ColourTable& table = surface_->Colours();
    if (screen_ != nullptr && screen_->GetLogicalPalette() != nullptr) {
        const xLogPalette& logical = *screen_->GetLogicalPalette();
        for (std::size_t i = 0; i < 256; ++i) {
            table[i] = platform::Rgb{logical[i].red, logical[i].green, logical[i].blue};
        }
        return;
    }
    const xPalette& palette = screen_ != nullptr ? screen_->GetScreenPalette() : xPalette::Default();
    for (int i = 0; i < 256; ++i) {
        xRGB c;
        palette.GetEntry(c, static_cast<std::uint8_t>(i));
        table[static_cast<std::size_t>(i)] = platform::Rgb{c.red, c.green, c.blue};
    }
}

void WinMixCanvas::SyncPalette() {
    if (depth_ == 24) {
        return;
    }
    if (depth_ != 8) {
        throw 0;
    }
    BeginDraw(nullptr);
    LoadColourTable();
    EndDraw(nullptr);
}
