#pragma once

#include <cstdint>

// The 16/32-bit fixed-point operators of the speech decoder. They follow the
// ITU basic-operator semantics with one difference this system chose: every
// 16-bit result is held in -32767..32767, never -32768. 32-bit results saturate
// to the full 32-bit range.
namespace sound::speech_ops {

using Word16 = int16_t;
using Word32 = int32_t;

inline constexpr Word16 kMax16 = 32767;
inline constexpr Word16 kMin16 = -32767;
inline constexpr Word32 kMax32 = 0x7fffffff;
inline constexpr Word32 kMin32 = static_cast<Word32>(0x80000000u);

constexpr Word16 Saturate(int64_t value) {
    if (value > kMax16) {
        return kMax16;
    }
    if (value < kMin16) {
        return kMin16;
    }
    return static_cast<Word16>(value);
}

constexpr Word32 Saturate32(int64_t value) {
    if (value > kMax32) {
        return kMax32;
    }
    if (value < kMin32) {
        return kMin32;
    }
    return static_cast<Word32>(value);
}

constexpr Word16 Add(Word16 a, Word16 b) { return Saturate(int64_t{a} + b); }
constexpr Word16 Sub(Word16 a, Word16 b) { return Saturate(int64_t{a} - b); }
constexpr Word16 Negate(Word16 a) { return Saturate(-int64_t{a}); }
constexpr Word16 Abs(Word16 a) { return Saturate(a < 0 ? -int64_t{a} : a); }

constexpr Word16 Shr(Word16 a, int n);

constexpr Word16 Shl(Word16 a, int n) {
    if (n < 0) {
        return Shr(a, -n);
    }
    if (n > 15) {
        return a == 0 ? 0 : (a > 0 ? kMax16 : kMin16);
    }
    return Saturate(int64_t{a} * (int64_t{1} << n));
}

constexpr Word16 Shr(Word16 a, int n) {
    if (n < 0) {
        return Shl(a, -n);
    }
    if (n >= 15) {
        return a < 0 ? -1 : 0;
    }
    return static_cast<Word16>(a >> n);
}

constexpr Word16 Mult(Word16 a, Word16 b) { return Saturate((int32_t{a} * b) >> 15); }
constexpr Word16 MultR(Word16 a, Word16 b) { return Saturate((int32_t{a} * b + 0x4000) >> 15); }

constexpr Word32 LAdd(Word32 a, Word32 b) {
    Word32 sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) {
        return a < 0 ? kMin32 : kMax32;
    }
    return sum;
}
constexpr Word32 LSub(Word32 a, Word32 b) {
    Word32 difference = 0;
    if (__builtin_sub_overflow(a, b, &difference)) {
        return a < 0 ? kMin32 : kMax32;
    }
    return difference;
}
constexpr Word32 LNegate(Word32 a) { return Saturate32(-int64_t{a}); }
constexpr Word32 LAbs(Word32 a) { return Saturate32(a < 0 ? -int64_t{a} : a); }
// Only -32768 * -32768 leaves the 32-bit range, and the saturated operators
// never produce -32768; the check keeps the operator exact for any input.
constexpr Word32 LMult(Word16 a, Word16 b) {
    if (a == -32768 && b == -32768) [[unlikely]] {
        return kMax32;
    }
    return int32_t{a} * b * 2;
}
constexpr Word32 LMac(Word32 acc, Word16 a, Word16 b) { return LAdd(acc, LMult(a, b)); }
constexpr Word32 LMsu(Word32 acc, Word16 a, Word16 b) { return LSub(acc, LMult(a, b)); }
constexpr Word32 LDepositH(Word16 a) { return static_cast<Word32>(static_cast<uint32_t>(static_cast<int32_t>(a)) << 16); }
constexpr Word32 LDepositL(Word16 a) { return a; }

constexpr Word32 LShr(Word32 a, int n);

constexpr Word32 LShl(Word32 a, int n) {
    if (n < 0) {
        return LShr(a, -n);
    }
    if (n > 31) {
        n = 31;
    }
    return Saturate32(static_cast<int64_t>(a) * (int64_t{1} << n));
}

constexpr Word32 LShr(Word32 a, int n) {
    if (n < 0) {
        return LShl(a, -n);
    }
    if (n >= 31) {
        return a < 0 ? -1 : 0;
    }
    return a >> n;
}

constexpr Word16 ExtractH(Word32 a) { return Saturate(a >> 16); }
constexpr Word16 Round(Word32 a) { return ExtractH(LAdd(a, 0x8000)); }

// Left shifts that bring a non-zero value into 0x4000..0x7fff (or the negative
// mirror); 0 for 0.
constexpr int NormS(Word16 a) {
    if (a == 0) {
        return 0;
    }
    if (a == -1) {
        return 15;
    }
    int v = a < 0 ? ~a : a;
    int n = 0;
    while (v < 0x4000) {
        v <<= 1;
        ++n;
    }
    return n;
}

constexpr int NormL(Word32 a) {
    if (a == 0) {
        return 0;
    }
    if (a == -1) {
        return 31;
    }
    int64_t v = a < 0 ? ~int64_t{a} : a;
    int n = 0;
    while (v < 0x40000000) {
        v <<= 1;
        ++n;
    }
    return n;
}

// 32 x 16 multiply with the low half done separately: (a * b) >> 15.
constexpr Word32 LMls(Word32 a, Word16 b) {
    Word32 low = static_cast<Word32>((static_cast<int64_t>(a & 0xffff) * b) >> 15);
    return LMac(low, b, ExtractH(a));
}

// Fractional division num / den with 0 <= num < den (Q15 result). Arguments
// outside that range (which only corrupt input can produce) give 0 instead of
// stopping the program.
constexpr Word16 DivS(Word16 num, Word16 den) {
    if (num < 0 || den <= 0 || num > den) {
        return 0;
    }
    if (num == den) {
        return kMax16;
    }
    int32_t n = num;
    int32_t result = 0;
    for (int i = 0; i < 15; ++i) {
        result <<= 1;
        n <<= 1;
        if (n >= den) {
            n -= den;
            result += 1;
        }
    }
    return static_cast<Word16>(result);
}

// Fractional division of a 32-bit numerator by (den << 16), Q15 result.
constexpr Word16 DivL(Word32 num, Word16 den) {
    if (num < 0 || den <= 0) {
        return 0;
    }
    Word32 lden = LDepositH(den);
    if (num >= lden) {
        return kMax16;
    }
    num = LShr(num, 1);
    lden = LShr(lden, 1);
    Word16 result = 0;
    for (int i = 0; i < 15; ++i) {
        result = Shl(result, 1);
        num = LShl(num, 1);
        if (num >= lden) {
            num = LSub(num, lden);
            result = Add(result, 1);
        }
    }
    return result;
}

}  // namespace sound::speech_ops
