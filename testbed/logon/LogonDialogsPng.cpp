// Paints the five logon and registration dialogs, in the states a player meets
// them, over a black 640x480 game picture and writes one PNG each:
// logon.png, required.png, optional.png, progress.png, one-field.png.
// Usage: logon_dialogs_png OUT_FOLDER

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "net/HttpClient.h"
#include "net/LogonDialogTemplates.h"
#include "net/LogonDialogs.h"
#include "net/SavedPlayers.h"
#include "platform/DialogTemplate.h"
#include "platform/DrawContext.h"
#include "platform/FakeMessageQueue.h"
#include "platform/FontFace.h"

namespace {

void PutBig32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void Chunk(std::string& out, const char* type, const std::string& data) {
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    PutBig32(out, static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                                   static_cast<uInt>(body.size()))));
}

bool WritePng(const std::string& path, const platform::Surface& s) {
    std::string raw;
    for (int y = 0; y < s.Height(); ++y) {
        raw += '\0';
        const std::uint8_t* row = s.Row(y);
        for (int x = 0; x < s.Width(); ++x) {
            raw += static_cast<char>(row[x * 4 + 2]);
            raw += static_cast<char>(row[x * 4 + 1]);
            raw += static_cast<char>(row[x * 4]);
        }
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
                  static_cast<uLong>(raw.size()), 9) != Z_OK) {
        return false;
    }
    packed.resize(size);
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    PutBig32(header, static_cast<std::uint32_t>(s.Width()));
    PutBig32(header, static_cast<std::uint32_t>(s.Height()));
    header += std::string("\x08\x02\x00\x00\x00", 5);
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", packed);
    Chunk(png, "IEND", "");
    std::ofstream out(path, std::ios::binary);
    out << png;
    return static_cast<bool>(out);
}

// Our own logo: a blue field with a ring.
void DrawLogo(platform::Surface& surface, const platform::DialogControl& c) {
    platform::DrawContext dc(&surface);
    const int top = c.y + platform::kDialogTitleHeight;
    const platform::Brush blue{false, 0x00A05010};
    const platform::Pen none{true, 1, 0};
    dc.SelectPen(none);
    dc.SelectBrush(blue);
    dc.Rectangle(c.x, top, c.x + c.width, top + c.height);
    const platform::Pen ring{false, 6, 0x0000CCFF};
    dc.SelectPen(ring);
    dc.SelectBrush(platform::StockNullBrush());
    dc.Ellipse(c.x + 14, top + 10, c.x + c.width - 14, top + c.height - 10);
    dc.MoveTo({c.x + c.width / 2 + 6, top + c.height / 2 + 6});
    dc.LineTo({c.x + c.width - 16, top + c.height - 8});
}

bool Shot(const std::string& folder, const char* name, const LogonDialogState& state, platform::FontFace* font) {
    const platform::DialogTemplate& t = LogonDialogTemplate(state.id);
    platform::DialogTemplate shown = t;
    if (!state.title.empty()) shown.title = state.title;
    platform::Surface dialog(shown.width, platform::DialogSurfaceHeight(shown), 32, false);
    platform::PaintDialog(
        dialog, shown, font, [&](const platform::DialogControl& c) { return LogonControlView(state, c); }, DrawLogo);
    platform::Surface picture(640, 480, 32, false);
    platform::LayDialogOver(picture, dialog, platform::CentredDialogOffset(640, dialog.Width()),
                            platform::CentredDialogOffset(480, dialog.Height()));
    const std::string path = folder + "/" + name;
    if (!WritePng(path, picture)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s\n", path.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: logon_dialogs_png OUT_FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::unique_ptr<platform::FontFace> font = platform::OpenFontFace(platform::FontRequest{"Arial", 13, 400, false});
    platform::FakeMessageQueue queue;
    platform::MessageQueue::Install(&queue);
    platform::Registry registry(folder + "/registry.txt");
    SavePlayer(registry, "Bob", "secret", true, 20);
    SavePlayer(registry, "Alice", "", false, 10);
    bool ok = true;
    {
        HttpClient client;
        LogonDialogs* dialogs = StartLogonDialogs(nullptr, client, nullptr, 0, "", "register", "validate", "change", "ORI",
                                                  "1.0.0.0", "LNX", registry);
        ok &= Shot(folder, "logon.png", *dialogs->Find(LogonDialogs::kLogon), font.get());

        dialogs->Command(LogonDialogs::kLogon, 1000);
        LogonDialogState& required = *dialogs->Find(LogonDialogs::kRequired);
        required.texts[1003] = "Newbie";
        required.texts[1002] = "secret";
        required.texts[1006] = "secret";
        required.texts[1004] = "New Bie";
        required.texts[1005] = "new@bie.org";
        required.texts[1009] = "Springfield";
        required.texts[1011] = "12345";
        required.selections[1016] = 2;
        required.selections[1015] = 4;
        required.focus = 1005;
        ok &= Shot(folder, "required.png", required, font.get());

        dialogs->Command(LogonDialogs::kRequired, 1);
        LogonDialogState& optional = *dialogs->Find(LogonDialogs::kOptional);
        optional.selections[1047] = 8;
        optional.selections[1053] = 4;
        ok &= Shot(folder, "optional.png", optional, font.get());

        dialogs->ShowProgressDialog("Processing registration");
        LogonDialogState& progress = *dialogs->Find(LogonDialogs::kProgress);
        progress.progress = 45;
        ok &= Shot(folder, "progress.png", progress, font.get());
        dialogs->DestroyProgressDialog();

        dialogs->Exchange().mode = 12;
        dialogs->ShowOneFieldDialog(12);
        LogonDialogState& one = *dialogs->Find(LogonDialogs::kOneField);
        one.texts[1072] = "Robert";
        ok &= Shot(folder, "one-field.png", one, font.get());
        CloseLogonDialogs();
    }
    platform::MessageQueue::Install(nullptr);
    std::remove((folder + "/registry.txt").c_str());
    return ok ? 0 : 1;
}
