#pragma once

// The game's view as the model knows it: a process that sends to the model and
// carries the control panel. The presentation derives its real view from it and
// installs a maker for it (PictureModel::Makers); until then the model makes this
// one, which opens no window.

#include <cstdint>
#include <string>

#include "framework/ProcessForwarder.h"

class PictureView : public ProcessForwarder {
  public:
    PictureView(std::string applicationName, std::int32_t bitsPerPixel, std::int32_t width,
                std::int32_t height, bool fullScreen, bool ownWindow)
        : applicationName_(std::move(applicationName)),
          bitsPerPixel_(bitsPerPixel),
          width_(width),
          height_(height),
          fullScreen_(fullScreen),
          ownWindow_(ownWindow) {}

    virtual void ShowControlPanel() { controlPanelUp_ = true; }
    virtual void HideControlPanel() { controlPanelUp_ = false; }
    virtual bool IsControlPanelUp() const { return controlPanelUp_; }

    const std::string& GetApplicationName() const { return applicationName_; }
    std::int32_t GetBitsPerPixel() const { return bitsPerPixel_; }
    std::int32_t GetWidth() const { return width_; }
    std::int32_t GetHeight() const { return height_; }
    bool IsFullScreen() const { return fullScreen_; }
    bool HasOwnWindow() const { return ownWindow_; }

  private:
    std::string applicationName_;
    std::int32_t bitsPerPixel_;
    std::int32_t width_;
    std::int32_t height_;
    bool fullScreen_;
    bool ownWindow_;
    bool controlPanelUp_ = false;
};
