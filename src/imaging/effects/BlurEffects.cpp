#include "imaging/effects/BlurEffects.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/bitmap/Error.h"

namespace pixmoth {

namespace {

// The partner of index i among n at distance `amount` (>= 1) before and after it.
// Past the far end the partner is the mirror n - i; for i = 0 that would be n,
// one past the end, so the last index is taken instead.
inline int NearPartner(int i, int amount) {
    return i >= amount ? i - amount : i;
}
inline int FarPartner(int i, int amount, int n) {
    if (i < n - amount) {
        return i + amount;
    }
    return i == 0 ? n - 1 : n - i;
}

// The middle of a row, where both column partners are `reach` bytes away:
// one straight loop over bytes that the compiler vectorises. With `Track` it
// returns non-zero when a byte changed, which costs about a quarter more.
template <bool Track>
unsigned BlurSpan(std::uint8_t* __restrict out, const std::uint8_t* __restrict up,
                  const std::uint8_t* __restrict down, std::ptrdiff_t reach, std::ptrdiff_t count) {
    unsigned changed = 0;
    for (std::ptrdiff_t i = 0; i < count; ++i) {
        const unsigned sum = up[i - reach] + down[i - reach] + up[i + reach] + down[i + reach];
        const auto value = static_cast<std::uint8_t>(sum >> 2);
        if constexpr (Track) {
            changed |= static_cast<unsigned>(value ^ out[i]);
        }
        out[i] = value;
    }
    return changed;
}

// Passes of SplitBlur over one picture. Run(true) also tells whether the pass
// changed anything; Run(false) may answer true regardless.
class SplitBlurPass {
public:
    SplitBlurPass(Bitmap& bitmap, int amount)
        : mBits(bitmap.Bits()), mStride(bitmap.Stride()), mWidth(bitmap.Width()),
          mHeight(bitmap.Height()), mAmount(amount), mSaved(static_cast<std::size_t>(mWidth) * 3) {}

    bool Run(bool track) {
        bool changed = !track;
        for (int y = 0; y < mHeight; ++y) {
            const int upper = NearPartner(y, mAmount);
            const int lower = FarPartner(y, mAmount, mHeight);
            if (upper == y || lower == y) {
                changed |= OwnRow(y, upper, lower);
            } else if (track) {
                changed |= OtherRows<true>(y, upper, lower);
            } else {
                OtherRows<false>(y, upper, lower);
            }
        }
        return changed;
    }

private:
    std::uint8_t* Row(int y) const { return mBits + mStride * y; }

    // Both partner rows differ from y: rows above are final and rows below are
    // untouched, so the row is written directly. Only the columns whose
    // partners are not both `amount` away go through the general rule.
    template <bool Track>
    bool OtherRows(int y, int upper, int lower) {
        std::uint8_t* row = Row(y);
        const std::uint8_t* up = Row(upper);
        const std::uint8_t* down = Row(lower);
        const int midBegin = std::min(mAmount, mWidth);
        const int midEnd = std::max(midBegin, mWidth - mAmount);
        unsigned changed = 0;
        for (int x = 0; x < midBegin; ++x) {
            changed |= BlurPixel(row, x, up, down);
        }
        if (midEnd > midBegin) {
            changed |= BlurSpan<Track>(row + 3 * midBegin, up + 3 * midBegin, down + 3 * midBegin,
                                       3 * static_cast<std::ptrdiff_t>(mAmount),
                                       3 * static_cast<std::ptrdiff_t>(midEnd - midBegin));
        }
        for (int x = midEnd; x < mWidth; ++x) {
            changed |= BlurPixel(row, x, up, down);
        }
        return changed != 0;
    }

    unsigned BlurPixel(std::uint8_t* row, int x, const std::uint8_t* up,
                       const std::uint8_t* down) const {
        const int l = 3 * NearPartner(x, mAmount);
        const int r = 3 * FarPartner(x, mAmount, mWidth);
        unsigned changed = 0;
        for (int c = 0; c < 3; ++c) {
            const auto value =
                static_cast<std::uint8_t>((up[l + c] + down[l + c] + up[r + c] + down[r + c]) >> 2);
            changed |= static_cast<unsigned>(value ^ row[3 * x + c]);
            row[3 * x + c] = value;
        }
        return changed;
    }

    // A partner row is the row itself (rows within `amount` of the top, or the
    // mirror row meeting itself): its pixels left of x are already new, x and
    // those right of it still old. A copy of the old row keeps both at hand.
    bool OwnRow(int y, int upper, int lower) {
        std::uint8_t* row = Row(y);
        const std::uint8_t* saved = mSaved.data();
        std::memcpy(mSaved.data(), row, mSaved.size());
        const std::uint8_t* up = upper == y ? nullptr : Row(upper);
        const std::uint8_t* down = lower == y ? nullptr : Row(lower);
        for (int x = 0; x < mWidth; ++x) {
            const int l = NearPartner(x, mAmount);
            const int r = FarPartner(x, mAmount, mWidth);
            const auto at = [&](const std::uint8_t* other, int column) {
                if (other != nullptr) {
                    return other + 3 * column;
                }
                return (column < x ? row : saved) + 3 * column;
            };
            const std::uint8_t* ul = at(up, l);
            const std::uint8_t* dl = at(down, l);
            const std::uint8_t* ur = at(up, r);
            const std::uint8_t* dr = at(down, r);
            for (int c = 0; c < 3; ++c) {
                row[3 * x + c] = static_cast<std::uint8_t>((ul[c] + dl[c] + ur[c] + dr[c]) >> 2);
            }
        }
        return std::memcmp(row, saved, mSaved.size()) != 0;
    }

    std::uint8_t* mBits;
    std::ptrdiff_t mStride;
    int mWidth;
    int mHeight;
    int mAmount;
    std::vector<std::uint8_t> mSaved; // the old values of the row being rewritten
};

} // namespace

void SplitBlur(Bitmap& bitmap, int amount) {
    bitmap.To24Bit();
    if (amount == 0 || bitmap.Empty()) {
        return;
    }
    // A negative amount names row -amount below row 0 as its lower row: the
    // first row already asks for a row outside the picture, before any change.
    if (amount < 0) {
        throw Error("Scan line index out of range");
    }
    SplitBlurPass(bitmap, amount).Run(false);
}

void GaussianBlur(Bitmap& bitmap, int amount) {
    bitmap.To24Bit();
    if (amount < 0 || bitmap.Empty()) {
        return;
    }
    // A pass that changes nothing leaves a picture that every further pass
    // repeats. Every 16th pass checks for that, so a huge amount ends soon
    // after the picture settles while the dialog's small amounts pay nothing.
    SplitBlurPass pass(bitmap, 3);
    for (long long i = 1; i <= static_cast<long long>(amount) + 1; ++i) {
        if (!pass.Run(i % 16 == 0)) {
            break;
        }
    }
}

} // namespace pixmoth
