#include "game/model/PictureView.h"

#include <utility>

#include "framework/Msg.h"

PictureView::PictureView(std::string applicationName, std::int32_t bitsPerPixel, std::int32_t width,
                         std::int32_t height, bool fullScreen, bool ownWindow)
    : View(applicationName.c_str(), bitsPerPixel, width, height, fullScreen),
      applicationName_(std::move(applicationName)),
      bitsPerPixel_(bitsPerPixel),
      width_(width),
      height_(height),
      fullScreen_(fullScreen),
      ownWindow_(ownWindow) {}

PictureView::~PictureView() = default;
