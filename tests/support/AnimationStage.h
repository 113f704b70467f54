#pragma once

// What animations on the real screen canvas need around them: the file-resource
// factory and the file registry, the resource service with .srf files and their
// strips catalogued, and the animation service installed for every UI root on
// the screen canvas. Make it before the view, catalogue strips once the view is
// there (it owns them), and let it go after the view.

#include <cstdint>
#include <memory>
#include <string>

#include "divir/xError.h"
#include "divir/xFile.h"
#include "framework/SingletonDefaults.h"
#include "media/AnimationService.h"
#include "media/OffsetStripResource.h"
#include "media/ScreenRootCanvas.h"
#include "media/WinScreenCanvas.h"
#include "platform/HostPath.h"
#include "resource/FileRegistry.h"
#include "resource/FileResourceFactory.h"
#include "resource/ResourceService.h"

class AnimationStage {
  public:
    AnimationStage() {
        xErrorCode = 0;
        xFileStartup(8);
        FileResourceFactory::Provide();
        SingletonDefaults::Register(FileResourceFactory::kName);
        registry_ = std::make_unique<FileRegistry>();
        resources_ = std::make_unique<ResourceService>();
        resources_->ReserveEntries();
        ScreenRootCanvas::Install();
        AnimationService::Install();
    }
    ~AnimationStage() {
        AnimationService::Uninstall();
        UIRoot::SetCanvasMaker(nullptr);
        WinScreenCanvas::SetMouseTargetLookup(nullptr);
        resources_.reset();
        registry_.reset();
        SingletonDefaults::Withdraw(FileResourceFactory::kName);
        xFileCleanup();
        xErrorCode = 0;
    }
    AnimationStage(const AnimationStage&) = delete;
    AnimationStage& operator=(const AnimationStage&) = delete;

    // Catalogues the .srf (a host path) and the strips with these ids in it,
    // drawn by the root. A strip answers its cels' sizes only while loaded, so
    // `load` loads each strip once, as a screen does with the art it shows
    // before its controls measure it. Returns the file's entry.
    std::int32_t AddStrips(const std::string& hostPath, std::initializer_list<std::int32_t> ids,
                           UIRoot* owner, bool load = true) {
        const std::string path = platform::ToWindowsPath(hostPath);
        const std::int32_t file = resources_->AddSrfFile(path.substr(path.rfind('\\') + 1), path, nullptr);
        for (std::int32_t id : ids) {
            auto* strip = dynamic_cast<OffsetStripResource*>(
                resources_->GetEntryResource(resources_->AddOffsetStrip(id, "off4", file, owner)));
            if (strip != nullptr && load) strip->Load();
        }
        return file;
    }

    ResourceService& Resources() { return *resources_; }

  private:
    std::unique_ptr<FileRegistry> registry_;
    std::unique_ptr<ResourceService> resources_;
};
