// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The byte loops that loading and saving spend their time in, each in two forms side by side: the
// plain one in Simd::Plain, byte by byte, which says what the kernel does, and the fast one in
// Simd, which takes sixteen bytes at a time with SSE2 and gives the same result for every input.
// Where SSE2 is absent the fast name is the plain form. An equivalence test holds them together.

#include <bit>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Simd {

constexpr std::size_t kBlock = 16;

// How the sixteen bytes of a block compare with a line of the usual form, one bit a byte (bit i
// for byte i).
struct BlockClasses {
    unsigned equal = 0; // the byte is the usual line's byte at that place
    unsigned digit = 0; // '0' to '9'
    unsigned space = 0; // blank, or one of the control characters tab to CR (9 to 13)
};

namespace Plain {

// Copies the bytes from p to out until the first one of stops, or to end, and returns where that
// is. out needs room for the bytes from p to end.
template <char... stops> const char* CopyUntil(const char* p, const char* end, char* out) {
    for (; p < end && ((*p != stops) && ...); ++p, ++out)
        *out = *p;
    return p;
}

// Classifies the kBlock bytes at text against the kBlock bytes of the usual line at usual.
inline BlockClasses ClassifyBlock(const char* text, const char* usual) {
    BlockClasses classes;
    for (std::size_t i = 0; i < kBlock; ++i) {
        const char c = text[i];
        const unsigned bit = 1u << i;
        if (c == usual[i])
            classes.equal |= bit;
        if (c >= '0' && c <= '9')
            classes.digit |= bit;
        if (c == ' ' || (c >= '\t' && c <= '\r'))
            classes.space |= bit;
    }
    return classes;
}

} // namespace Plain

#if defined(__SSE2__)

namespace Detail {

// The kBlock bytes at p, wherever they lie.
inline __m128i LoadBlock(const char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Bit i set when byte i of a comparison's result is all ones.
inline unsigned Bits(__m128i bytes) {
    return static_cast<unsigned>(_mm_movemask_epi8(bytes));
}

} // namespace Detail

// Plain::CopyUntil a block at a time: escapes come every few dozen bytes, so most blocks are
// copied whole. A block is written whole even when a stop lies inside it, so bytes beyond the stop
// may be written too, but never beyond the room for the bytes from p to end.
template <char... stops> const char* CopyUntil(const char* p, const char* end, char* out) {
    using namespace Detail;
    for (; end - p >= static_cast<std::ptrdiff_t>(kBlock); p += kBlock, out += kBlock) {
        const __m128i block = LoadBlock(p);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), block);
        __m128i any = _mm_setzero_si128();
        ((any = _mm_or_si128(any, _mm_cmpeq_epi8(block, _mm_set1_epi8(stops)))), ...);
        if (const unsigned found = Bits(any))
            return p + std::countr_zero(found);
    }
    return Plain::CopyUntil<stops...>(p, end, out);
}

// Plain::ClassifyBlock in one pass over the block.
inline BlockClasses ClassifyBlock(const char* text, const char* usual) {
    using namespace Detail;
    const __m128i block = LoadBlock(text);
    // As unsigned bytes, a digit less '0' is at most 9, and a control character from tab to CR
    // less tab at most 4: each range is one comparison with the smaller of the two.
    const __m128i digitValue = _mm_sub_epi8(block, _mm_set1_epi8('0'));
    const __m128i control = _mm_sub_epi8(block, _mm_set1_epi8('\t'));
    const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(digitValue, _mm_set1_epi8(9)), digitValue);
    const __m128i space =
        _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(' ')),
                     _mm_cmpeq_epi8(_mm_min_epu8(control, _mm_set1_epi8(4)), control));
    return {Bits(_mm_cmpeq_epi8(block, LoadBlock(usual))), Bits(digit), Bits(space)};
}

#else

using Plain::ClassifyBlock;
using Plain::CopyUntil;

#endif

} // namespace Simd
