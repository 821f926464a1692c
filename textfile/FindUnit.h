#pragma once
// Finding a code unit in a run of text. Every line passes through here for
// its LF and every line with a "[" for "|" and "]", so the search is the
// readers' inner loop: eight UTF-16 units are compared at once where the
// processor has SSE2 (every x86-64 one), four at once in a 64-bit word
// elsewhere.
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define VELMORA_FIND_SSE2 1
#endif
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

namespace velmora::textfile {

// The first `unit` in [begin, end), or `end`.
inline const char* FindUnit(const char* begin, const char* end, char unit) {
    const void* found = std::memchr(begin, static_cast<unsigned char>(unit), static_cast<std::size_t>(end - begin));
    return found ? static_cast<const char*>(found) : end;
}

namespace detail {

// The index of the lowest set bit of a mask that is not zero.
inline unsigned LowestBit(unsigned mask) {
#if defined(_MSC_VER) && !defined(__clang__)
    unsigned long index = 0;
    _BitScanForward(&index, mask);
    return static_cast<unsigned>(index);
#else
    return static_cast<unsigned>(__builtin_ctz(mask));
#endif
}

// The first unit in [p, end) that is `a`, `b` or `c`, blocks of units at a
// time, or the start of the last few units, fewer than a block, that are
// left for the caller to compare one by one.
inline const char16_t* FindInBlocks(const char16_t* p, const char16_t* end, char16_t a, char16_t b, char16_t c) {
#ifdef VELMORA_FIND_SSE2
    if (a < 0x7F && b < 0x7F && c < 0x7F) {
        // Sixteen units at once, narrowed to bytes with signed saturation:
        // a unit below 0x7F keeps its value, any other becomes 0x7F or 0x80,
        // which none of the three is.
        const __m128i narrowA = _mm_set1_epi8(static_cast<char>(a));
        const __m128i narrowB = _mm_set1_epi8(static_cast<char>(b));
        const __m128i narrowC = _mm_set1_epi8(static_cast<char>(c));
        for (; end - p >= 16; p += 16) {
            const __m128i bytes = _mm_packs_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8)));
            const __m128i hits = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(bytes, narrowA), _mm_cmpeq_epi8(bytes, narrowB)),
                _mm_cmpeq_epi8(bytes, narrowC));
            const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
            if (mask != 0) return p + LowestBit(mask);
        }
    }
    const __m128i repeatedA = _mm_set1_epi16(static_cast<short>(a));
    const __m128i repeatedB = _mm_set1_epi16(static_cast<short>(b));
    const __m128i repeatedC = _mm_set1_epi16(static_cast<short>(c));
    for (; end - p >= 8; p += 8) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(block, repeatedA), _mm_cmpeq_epi16(block, repeatedB)),
                                          _mm_cmpeq_epi16(block, repeatedC));
        // Two mask bits a unit: the lowest set bit halved is the unit's place.
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask != 0) return p + LowestBit(mask) / 2;
    }
#else
    // A 64-bit word XORed with a unit repeated has a zero 16-bit lane exactly
    // where the unit stands, and (x - 0x0001...) & ~x & 0x8000... is non-zero
    // exactly when some lane is zero; the lowest such lane is the first.
    constexpr std::uint64_t kLow = 0x0001000100010001u;
    constexpr std::uint64_t kHigh = 0x8000800080008000u;
    auto holds = [](std::uint64_t word, char16_t unit) {
        const std::uint64_t x = word ^ (kLow * unit);
        return (x - kLow) & ~x;
    };
    for (; end - p >= 4; p += 4) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        if ((holds(word, a) | holds(word, b) | holds(word, c)) & kHigh) {
            // The borrow of the lowest zero lane can only mark lanes above
            // it, so the first unit is found by comparing in order.
            while (*p != a && *p != b && *p != c) ++p;
            return p;
        }
    }
#endif
    return p;
}

}  // namespace detail

// The first unit in [begin, end) that is `a`, `b` or `c`, or `end`: one pass
// where several searches would each read the text.
inline const char16_t* FindAny(const char16_t* begin, const char16_t* end, char16_t a, char16_t b, char16_t c) {
    const char16_t* p = detail::FindInBlocks(begin, end, a, b, c);
    while (p < end && *p != a && *p != b && *p != c) ++p;
    return p;
}

inline const char16_t* FindEither(const char16_t* begin, const char16_t* end, char16_t a, char16_t b) {
    return FindAny(begin, end, a, b, b);
}

// The first `unit` in [begin, end), or `end`.
inline const char16_t* FindUnit(const char16_t* begin, const char16_t* end, char16_t unit) {
    return FindEither(begin, end, unit, unit);
}

inline char* FindUnit(char* begin, char* end, char unit) {
    return const_cast<char*>(FindUnit(static_cast<const char*>(begin), end, unit));
}
inline char16_t* FindUnit(char16_t* begin, char16_t* end, char16_t unit) {
    return const_cast<char16_t*>(FindUnit(static_cast<const char16_t*>(begin), end, unit));
}

}  // namespace velmora::textfile
