#include "resource/SingleSrfFilterSource.h"

#include <cstring>

#include "divir/xFilePath.h"
#include "divir/xTryFrame.h"

std::int32_t SingleSrfFilterSource::FindById(std::int32_t /*id*/, const char* kind) {
    return kind != nullptr && std::strcmp(kind, "Text") == 0 ? 0 : -1;
}

xSimpleResFile* SingleSrfFilterSource::OpenSrf(std::int32_t entry, const void* /*owner*/) {
    if (entry != 0) {
        return nullptr;
    }
    reader_ = std::make_unique<xSimpleResFile>("LanguageFilter");
    // A file that does not open yields no file; the load raises its own code then.
    const std::int16_t code = xTry([&] { reader_->OpenAt(0, xFileSpec(path_.c_str()), 0); });
    if (code != 0 || !reader_->IsOpen(0)) {
        reader_.reset();
        return nullptr;
    }
    return reader_.get();
}

void SingleSrfFilterSource::CloseSrf(std::int32_t /*entry*/, const void* /*owner*/) {
    reader_.reset();
}
