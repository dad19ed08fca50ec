#include "image/AreaShrinker.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

// Adds a whole weighted source row to a row of sums: one long contiguous loop, which the
// compiler vectorises. Every path goes through this one function, so the sums are formed
// by the same instructions in the same order whatever hands the rows over.
void AddWeighted(float* __restrict sums, const std::uint8_t* __restrict row, std::size_t n, float weight)
{
    // Blocks of a fixed length, so the compiler needs no run-time checks to vectorise.
    constexpr std::size_t kBlock = 16;
    std::size_t i = 0;
    for (; i + kBlock <= n; i += kBlock)
        for (std::size_t k = 0; k < kBlock; ++k) sums[i + k] += static_cast<float>(row[i + k]) * weight;
    for (; i < n; ++i) sums[i] += static_cast<float>(row[i]) * weight;
}

}  // namespace

// Each destination column covers [d * ratio, (d + 1) * ratio) of the source; the weights
// are the covered fractions of each source column, normalised to sum to one.
void AreaShrinker::Spans(std::uint32_t from, std::uint32_t to, std::vector<Span>& spans, std::vector<float>& weights)
{
    const double ratio = double(from) / to;
    spans.resize(to);
    weights.clear();
    for (std::uint32_t d = 0; d < to; ++d) {
        const double a = d * ratio, b = std::min<double>((d + 1) * ratio, from);
        const auto first = static_cast<std::uint32_t>(a);
        auto last = static_cast<std::uint32_t>(std::ceil(b));
        if (last > from) last = from;
        if (last <= first) last = first + 1;
        spans[d] = Span{first, last - first, static_cast<std::uint32_t>(weights.size())};
        for (std::uint32_t s = first; s < last; ++s) {
            const double covered = std::min<double>(s + 1, b) - std::max<double>(s, a);
            weights.push_back(static_cast<float>(std::max(covered, 0.0) / (b - a)));
        }
    }
}

bool AreaShrinker::Begin(std::uint32_t width, std::uint32_t height, bool alpha, std::uint32_t newWidth,
                         std::uint32_t newHeight, CxImage& into)
{
    into_ = nullptr;
    if (newWidth == 0 || newHeight == 0 || newWidth >= width || newHeight >= height) return false;
    if (!into.Create(newWidth, newHeight, 24) || (alpha && !into.AlphaCreate())) return false;
    try {
        Spans(width, newWidth, xs_, xw_);
        Spans(height, newHeight, ys_, yw_);
        // How many destination rows are summed at once: from the first row a source row
        // belongs to, up to the last row that starts before that one ends.
        slots_ = 1;
        for (std::uint32_t d = 0, e = 0; d < newHeight; ++d) {
            const std::uint32_t end = ys_[d].first + ys_[d].count;
            while (e + 1 < newHeight && ys_[e + 1].first < end) ++e;
            slots_ = std::max(slots_, e - d + 1);
        }
        sums_.assign(std::size_t(slots_) * width * 3, 0.0f);
    } catch (const std::bad_alloc&) {
        into.Destroy();
        into.SetLastError("CxImage::Create can't allocate memory");
        return false;
    }
    into_ = &into;
    width_ = width;
    height_ = height;
    next_ = open_ = alphaNext_ = 0;
    return true;
}

void AreaShrinker::AddRow(const std::uint8_t* colour, const std::uint8_t* alpha)
{
    if (!into_ || next_ >= height_) return;
    const std::uint32_t s = next_++;
    const std::uint32_t rows = into_->Height();
    const std::size_t n = std::size_t(width_) * 3;
    for (std::uint32_t d = open_; d < rows && ys_[d].first <= s; ++d) {
        const Span& span = ys_[d];
        if (s >= span.first + span.count) continue;
        float* sums = sums_.data() + std::size_t(d % slots_) * n;
        if (s == span.first) std::fill(sums, sums + n, 0.0f);
        AddWeighted(sums, colour, n, yw_[span.weights + (s - span.first)]);
    }
    while (open_ < rows && ys_[open_].first + ys_[open_].count == s + 1) Emit(open_++);
    if (alpha && into_->AlphaIsValid()) {
        for (; alphaNext_ < rows && NearestSource(alphaNext_, height_, rows) == s; ++alphaNext_)
            NearestRow(alpha, width_, into_->AlphaGetPointer(0, alphaNext_), into_->Width());
    }
}

// The columns of a finished row of sums are reduced once, into the destination row.
void AreaShrinker::Emit(std::uint32_t row)
{
    const float* sums = sums_.data() + std::size_t(row % slots_) * width_ * 3;
    std::uint8_t* out = into_->GetBits(row);
    const std::uint32_t columns = into_->Width();
    for (std::uint32_t dx = 0; dx < columns; ++dx, out += 3) {
        const Span& sx = xs_[dx];
        const float* p = sums + 3 * std::size_t(sx.first);
        const float* wx = xw_.data() + sx.weights;
        float b = 0.5f, g = 0.5f, r = 0.5f;
        for (std::uint32_t j = 0; j < sx.count; ++j, p += 3) {
            b += p[0] * wx[j];
            g += p[1] * wx[j];
            r += p[2] * wx[j];
        }
        out[0] = static_cast<std::uint8_t>(b >= 255.0f ? 255 : (b <= 0.0f ? 0 : b));
        out[1] = static_cast<std::uint8_t>(g >= 255.0f ? 255 : (g <= 0.0f ? 0 : g));
        out[2] = static_cast<std::uint8_t>(r >= 255.0f ? 255 : (r <= 0.0f ? 0 : r));
    }
}

void AreaShrinker::Finish(const CxImage& source)
{
    if (into_) into_->TakeSettingsOf(source);
}

void AreaShrinker::NearestRow(const std::uint8_t* from, std::uint32_t width, std::uint8_t* to, std::uint32_t newWidth)
{
    for (std::uint32_t x = 0; x < newWidth; ++x) to[x] = from[NearestSource(x, width, newWidth)];
}
