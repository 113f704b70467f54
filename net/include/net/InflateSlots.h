#pragma once

// Four decompression slots for downloads that arrive compressed: a body that
// begins with "ZIP " is a 16-byte header (the magic, two big-endian fields that
// are read and not used, the big-endian adler32 of the whole uncompressed data)
// followed by raw deflate data with no trailer. Our own driver reads the header;
// zlib inflates the blocks; the checksum is computed over the output and
// compared when the slot closes.

#include <cstdint>

inline constexpr int kInflateSlots = 4;
inline constexpr std::uint32_t kInflateHeaderSize = 16;

// Marks every slot free; the first live HTTP client runs it.
void InflateSlotsInit();
// The first free slot (1 to 4), ready for a new stream; 0 when all are in use.
std::int16_t InflateSlotOpen();
// Feeds input: runs until the stream ends, the input is used up, the output is
// full, or an error stops it. On return size holds the bytes written to out and,
// when given, consumed the input bytes used. Returns the driver's last result:
// 1 stream end, 0 ok, -5 no progress possible, -3 bad data, -2 bad slot.
int InflateSlotFeed(std::int16_t slot, char* out, std::uint32_t& size, const char* in, std::uint32_t length,
                    std::uint32_t* consumed = nullptr);
// Frees the slot. Without abandon: 1 when the stream ended cleanly and the
// output's adler32 equals the header's checksum, else 0.
std::int16_t InflateSlotClose(std::int16_t slot, std::int16_t abandon);
