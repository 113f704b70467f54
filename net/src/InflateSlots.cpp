#include "net/InflateSlots.h"

#include <zlib.h>

#include <array>
#include <cstring>

namespace {

enum class Mode { Start, Header, Blocks, Done, Bad };

struct Slot {
    z_stream stream{};
    std::array<std::uint8_t, kInflateHeaderSize> header{};
    int headerCount = -1;  // -1 while free, else the header bytes read (0 to 16)
    Mode mode = Mode::Start;
    std::uint32_t checksum = 0;  // from the header
    uLong adler = 1;             // of the output so far
};

std::array<Slot, kInflateSlots> gSlots;

std::uint32_t BigEndian(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

Slot* SlotOf(std::int16_t slot) {
    if (slot < 1 || slot > kInflateSlots) return nullptr;
    Slot& s = gSlots[static_cast<std::size_t>(slot - 1)];
    return s.headerCount < 0 ? nullptr : &s;
}

// One run of the driver: until it needs more input or output, or the stream ends.
int Drive(Slot& s) {
    for (;;) {
        switch (s.mode) {
            case Mode::Start:
                s.headerCount = 0;
                s.mode = Mode::Header;
                break;
            case Mode::Header: {
                bool took = false;
                while (s.stream.avail_in > 0 && s.headerCount < static_cast<int>(kInflateHeaderSize)) {
                    s.header[static_cast<std::size_t>(s.headerCount++)] = *s.stream.next_in++;
                    --s.stream.avail_in;
                    ++s.stream.total_in;
                    took = true;
                }
                if (s.headerCount < static_cast<int>(kInflateHeaderSize)) return took ? Z_OK : Z_BUF_ERROR;
                // The fields at 4 and 8 are read and not used.
                s.checksum = BigEndian(&s.header[12]);
                s.mode = Mode::Blocks;
                break;
            }
            case Mode::Blocks: {
                Bytef* const before = s.stream.next_out;
                const int rc = inflate(&s.stream, Z_NO_FLUSH);
                const auto produced = static_cast<uInt>(s.stream.next_out - before);
                if (produced > 0) s.adler = adler32(s.adler, before, produced);
                if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT || rc == Z_MEM_ERROR || rc == Z_STREAM_ERROR) {
                    s.mode = Mode::Bad;
                    return Z_DATA_ERROR;
                }
                if (rc == Z_STREAM_END) {
                    inflateReset(&s.stream);
                    s.mode = Mode::Done;
                    return Z_STREAM_END;
                }
                return rc;
            }
            case Mode::Done:
                return Z_STREAM_END;
            case Mode::Bad:
                return Z_DATA_ERROR;
        }
    }
}

}  // namespace

void InflateSlotsInit() {
    for (Slot& s : gSlots) {
        if (s.headerCount >= 0) inflateEnd(&s.stream);
        s = Slot{};
    }
}

std::int16_t InflateSlotOpen() {
    for (std::size_t i = 0; i < gSlots.size(); ++i) {
        Slot& s = gSlots[i];
        if (s.headerCount >= 0) continue;
        s = Slot{};
        s.stream.zalloc = Z_NULL;
        s.stream.zfree = Z_NULL;
        s.stream.opaque = Z_NULL;
        // Raw deflate: the header and the checksum are ours.
        if (inflateInit2(&s.stream, -15) != Z_OK) return 0;
        s.headerCount = 0;
        s.mode = Mode::Start;
        s.adler = adler32(0L, Z_NULL, 0);
        return static_cast<std::int16_t>(i + 1);
    }
    return 0;
}

int InflateSlotFeed(std::int16_t slot, char* out, std::uint32_t& size, const char* in, std::uint32_t length,
                    std::uint32_t* consumed) {
    Slot* s = SlotOf(slot);
    const std::uint32_t room = size;
    size = 0;
    if (consumed != nullptr) *consumed = 0;
    if (s == nullptr || (out == nullptr && room > 0) || (in == nullptr && length > 0)) return Z_STREAM_ERROR;
    s->stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in));
    s->stream.avail_in = length;
    std::uint32_t produced = 0;
    int rc = Z_OK;
    for (;;) {
        s->stream.next_out = reinterpret_cast<Bytef*>(out + produced);
        s->stream.avail_out = room - produced;
        const uInt inBefore = s->stream.avail_in;
        rc = Drive(*s);
        const std::uint32_t made = (room - produced) - s->stream.avail_out;
        produced += made;
        const bool progress = made > 0 || s->stream.avail_in != inBefore;
        if (rc == Z_STREAM_END || s->stream.avail_in == 0 || rc < 0 || !progress || produced == room) break;
    }
    size = produced;
    if (consumed != nullptr) *consumed = length - s->stream.avail_in;
    s->stream.next_in = Z_NULL;
    s->stream.avail_in = 0;
    s->stream.next_out = Z_NULL;
    s->stream.avail_out = 0;
    return rc;
}

std::int16_t InflateSlotClose(std::int16_t slot, std::int16_t abandon) {
    Slot* s = SlotOf(slot);
    if (s == nullptr) return 0;
    const bool good = s->mode == Mode::Done && static_cast<std::uint32_t>(s->adler) == s->checksum;
    inflateEnd(&s->stream);
    *s = Slot{};
    return abandon == 0 && good ? 1 : 0;
}
