#include "platform/SoundMixer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qw::platform {

namespace {

constexpr uint64_t kOne = uint64_t{1} << 32;
constexpr uint32_t kMaxBytes = 256u << 20;

const std::array<int32_t, 10001>& GainTable() {
    static const std::array<int32_t, 10001> table = [] {
        std::array<int32_t, 10001> t{};
        for (int i = 1; i <= 10000; ++i) { // entry i: attenuation -10000 + i
            double g = std::round(32768.0 * std::pow(10.0, (i - 10000) / 2000.0));
            t[static_cast<size_t>(i)] = static_cast<int32_t>(std::min(g, 32767.0));
        }
        return t;
    }();
    return table;
}

int16_t Saturate(int32_t v) {
    return static_cast<int16_t>(std::clamp(v, -32768, 32767));
}

// The per-frame rule: linear interpolation between frame i and the next one with the upper 15
// bits of the fraction, then each side scaled by its Q15 gain.
inline void MixFrameReference(const int16_t* s, uint32_t frames, int channels, bool looping,
                              uint64_t pos, int32_t gl, int32_t gr, int32_t* acc) {
    uint32_t i = static_cast<uint32_t>(pos >> 32);
    uint32_t next = i + 1 < frames ? i + 1 : (looping ? 0 : i);
    int32_t frac = static_cast<int32_t>((pos & 0xFFFFFFFFu) >> 17);
    for (int c = 0; c < 2; ++c) {
        int ch = channels == 2 ? c : 0;
        int32_t s0 = s[static_cast<size_t>(i) * channels + ch];
        int32_t s1 = s[static_cast<size_t>(next) * channels + ch];
        int32_t v = s0 + (((s1 - s0) * frac) >> 15);
        acc[c] += (v * (c == 0 ? gl : gr)) >> 15;
    }
}

// Native rate on a frame boundary: the interpolation is the sample itself.
void MixNativeRun(const int16_t* s, int channels, int n, int32_t gl, int32_t gr, int32_t* acc) {
    int k = 0;
#if defined(__SSE2__)
    // Mono frames are widened to (s, s) pairs, so both layouts take the same gain pattern.
    const auto l16 = static_cast<int16_t>(gl), r16 = static_cast<int16_t>(gr);
    const __m128i g = _mm_set_epi16(r16, l16, r16, l16, r16, l16, r16, l16);
    auto add8 = [&](__m128i v, int32_t* a) {
        __m128i lo = _mm_mullo_epi16(v, g);
        __m128i hi = _mm_mulhi_epi16(v, g);
        __m128i p0 = _mm_srai_epi32(_mm_unpacklo_epi16(lo, hi), 15);
        __m128i p1 = _mm_srai_epi32(_mm_unpackhi_epi16(lo, hi), 15);
        __m128i* out = reinterpret_cast<__m128i*>(a);
        _mm_storeu_si128(out, _mm_add_epi32(_mm_loadu_si128(out), p0));
        _mm_storeu_si128(out + 1, _mm_add_epi32(_mm_loadu_si128(out + 1), p1));
    };
    if (channels == 2) {
        for (; k + 4 <= n; k += 4)
            add8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * k)), acc + 2 * k);
    } else {
        for (; k + 8 <= n; k += 8) {
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + k));
            add8(_mm_unpacklo_epi16(v, v), acc + 2 * k);
            add8(_mm_unpackhi_epi16(v, v), acc + 2 * k + 8);
        }
    }
#endif
    for (; k < n; ++k) {
        int32_t l = channels == 2 ? s[2 * k] : s[k];
        int32_t r = channels == 2 ? s[2 * k + 1] : s[k];
        acc[2 * k] += (l * gl) >> 15;
        acc[2 * k + 1] += (r * gr) >> 15;
    }
}

} // namespace

int32_t GainQ15(int32_t attenuation) {
    if (attenuation <= SoundBuffer::kVolumeMin) return 0;
    if (attenuation >= 0) return 32767;
    return GainTable()[static_cast<size_t>(attenuation + 10000)];
}

// ---- SoundBuffer

SoundBuffer::SoundBuffer(std::shared_ptr<SoundMixer> mixer, const SoundFormat& format,
                         std::shared_ptr<Samples> samples, uint32_t bytes)
    : mixer_(std::move(mixer)), format_(format), samples_(std::move(samples)), bytes_(bytes),
      frames_(bytes / static_cast<uint32_t>(format.BlockAlign())) {
    std::lock_guard lock(mixer_->mutex_);
    mixer_->buffers_.push_back(this);
}

SoundBuffer::~SoundBuffer() {
    std::lock_guard lock(mixer_->mutex_);
    auto& list = mixer_->buffers_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

bool SoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1,
                       void** part2, uint32_t* bytes2, bool whole) {
    if (whole) {
        offset = 0;
        bytes = bytes_;
    }
    if (!part1 || !bytes1 || offset >= bytes_ || bytes == 0 || bytes > bytes_) return false;
    std::lock_guard lock(mixer_->mutex_);
    if (locked_) return false;
    uint32_t first = std::min(bytes, bytes_ - offset);
    uint32_t second = bytes - first;
    if (second && (!part2 || !bytes2)) return false;
    staging_.resize(bytes);
    const auto* src = reinterpret_cast<const uint8_t*>(samples_->data.data());
    std::memcpy(staging_.data(), src + offset, first);
    if (second) std::memcpy(staging_.data() + first, src, second);
    locked_ = true;
    lockOffset_ = offset;
    lockBytes_ = bytes;
    *part1 = staging_.data();
    *bytes1 = first;
    if (part2) *part2 = second ? staging_.data() + first : nullptr;
    if (bytes2) *bytes2 = second;
    return true;
}

bool SoundBuffer::Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) {
    std::lock_guard lock(mixer_->mutex_);
    if (!locked_ || part1 != staging_.data()) return false;
    uint32_t first = std::min(bytes1, std::min(lockBytes_, bytes_ - lockOffset_));
    auto* dst = reinterpret_cast<uint8_t*>(samples_->data.data());
    std::memcpy(dst + lockOffset_, staging_.data(), first);
    uint32_t wrapped = lockBytes_ - std::min(lockBytes_, bytes_ - lockOffset_);
    if (part2 == staging_.data() + (lockBytes_ - wrapped) && wrapped)
        std::memcpy(dst, staging_.data() + (lockBytes_ - wrapped), std::min(bytes2, wrapped));
    locked_ = false;
    return true;
}

void SoundBuffer::Play(bool loop) {
    std::lock_guard lock(mixer_->mutex_);
    if (lost_) return; // a lost buffer plays only once restored
    playing_ = true;
    looping_ = loop;
}

void SoundBuffer::Stop() {
    std::lock_guard lock(mixer_->mutex_);
    playing_ = false;
}

uint32_t SoundBuffer::GetCurrentPosition() const {
    std::lock_guard lock(mixer_->mutex_);
    return static_cast<uint32_t>(position_ >> 32) * static_cast<uint32_t>(format_.BlockAlign());
}

void SoundBuffer::SetCurrentPosition(uint32_t bytes) {
    std::lock_guard lock(mixer_->mutex_);
    uint32_t frame = bytes / static_cast<uint32_t>(format_.BlockAlign());
    position_ = static_cast<uint64_t>(std::min(frame, frames_ - 1)) << 32;
}

uint32_t SoundBuffer::GetStatus() const {
    std::lock_guard lock(mixer_->mutex_);
    if (lost_) return kStatusLost;
    if (!playing_) return 0;
    return kStatusPlaying | (looping_ ? kStatusLooping : 0);
}

bool SoundBuffer::Restore() {
    std::lock_guard lock(mixer_->mutex_);
    lost_ = false;
    return true;
}

void SoundBuffer::MarkLost() {
    std::lock_guard lock(mixer_->mutex_);
    lost_ = true;
    playing_ = false;
    std::fill(samples_->data.begin(), samples_->data.end(), int16_t{0});
}

void SoundBuffer::SetVolume(int32_t volume) {
    std::lock_guard lock(mixer_->mutex_);
    volume_ = std::clamp(volume, kVolumeMin, 0);
}

int32_t SoundBuffer::GetVolume() const {
    std::lock_guard lock(mixer_->mutex_);
    return volume_;
}

void SoundBuffer::SetPan(int32_t pan) {
    std::lock_guard lock(mixer_->mutex_);
    pan_ = std::clamp(pan, kPanLeft, kPanRight);
}

int32_t SoundBuffer::GetPan() const {
    std::lock_guard lock(mixer_->mutex_);
    return pan_;
}

void SoundBuffer::SetNotificationPositions(std::vector<uint32_t> offsets,
                                           std::shared_ptr<SoundNotify> target) {
    std::lock_guard lock(mixer_->mutex_);
    notifyFrames_.clear();
    for (uint32_t o : offsets)
        notifyFrames_.push_back(std::min(o, bytes_ - 1) /
                                static_cast<uint32_t>(format_.BlockAlign()));
    notify_ = std::move(target);
}

std::shared_ptr<SoundBuffer> SoundBuffer::Duplicate() {
    std::shared_ptr<SoundBuffer> copy(new SoundBuffer(mixer_, format_, samples_, bytes_));
    std::lock_guard lock(mixer_->mutex_);
    copy->volume_ = volume_;
    copy->pan_ = pan_;
    return copy;
}

// ---- SoundMixer

std::shared_ptr<SoundMixer> SoundMixer::Create() {
    return std::shared_ptr<SoundMixer>(new SoundMixer());
}

std::shared_ptr<SoundBuffer> SoundMixer::MakeBuffer(const SoundFormat& format, uint32_t bytes) {
    if (format.channels < 1 || format.channels > 2 || format.rate < 8000 || format.rate > 192000)
        return nullptr;
    uint32_t align = static_cast<uint32_t>(format.BlockAlign());
    if (bytes < align || bytes > kMaxBytes || bytes % align) return nullptr;
    auto samples = std::make_shared<SoundBuffer::Samples>();
    samples->data.assign(bytes / 2, 0);
    return std::shared_ptr<SoundBuffer>(
        new SoundBuffer(shared_from_this(), format, std::move(samples), bytes));
}

std::shared_ptr<SoundBuffer> SoundMixer::AdoptBuffer(const SoundFormat& format,
                                                     std::vector<int16_t>&& samples) {
    if (format.channels < 1 || format.channels > 2 || format.rate < 8000 || format.rate > 192000)
        return nullptr;
    const uint64_t bytes = uint64_t{samples.size()} * 2;
    const uint32_t align = static_cast<uint32_t>(format.BlockAlign());
    if (bytes < align || bytes > kMaxBytes || bytes % align) return nullptr;
    auto owned = std::make_shared<SoundBuffer::Samples>();
    owned->data = std::move(samples);
    return std::shared_ptr<SoundBuffer>(new SoundBuffer(
        shared_from_this(), format, std::move(owned), static_cast<uint32_t>(bytes)));
}

int SoundMixer::PlayingCount() const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const SoundBuffer* b : buffers_)
        n += b->playing_ ? 1 : 0;
    return n;
}

void SoundMixer::MixBuffer(SoundBuffer& b, int32_t* acc, int frames,
                           std::vector<Crossed>& crossed) {
    // Pan lowers only the side away from it.
    int32_t gl = GainQ15(b.volume_ - std::max(0, b.pan_));
    int32_t gr = GainQ15(b.volume_ + std::min(0, b.pan_));
    const uint64_t step = (static_cast<uint64_t>(b.format_.rate) << 32) / kMixRate;
    const uint64_t end = static_cast<uint64_t>(b.frames_) << 32;
    const int16_t* s = b.samples_->data.data();
    const int channels = b.format_.channels;
    int f = 0;
    while (f < frames && b.playing_) {
        uint64_t remain = end - b.position_;
        uint64_t toEnd = (remain + step - 1) / step;
        int run = static_cast<int>(std::min<uint64_t>(toEnd, static_cast<uint64_t>(frames - f)));
        uint64_t start = b.position_;
        int32_t* a = acc + 2 * f;
        if (gl | gr) {
            if (!referenceOnly_ && step == kOne && (start & 0xFFFFFFFFu) == 0) {
                MixNativeRun(s + static_cast<size_t>(start >> 32) * channels, channels, run, gl, gr,
                             a);
            } else {
                uint64_t p = start;
                for (int k = 0; k < run; ++k, p += step)
                    MixFrameReference(s, b.frames_, channels, b.looping_, p, gl, gr, a + 2 * k);
            }
        }
        b.position_ = start + static_cast<uint64_t>(run) * step;
        if (b.notify_) {
            uint32_t from = static_cast<uint32_t>(start >> 32);
            uint32_t to = static_cast<uint32_t>(b.position_ >> 32);
            for (size_t i = 0; i < b.notifyFrames_.size(); ++i)
                if (b.notifyFrames_[i] >= from && b.notifyFrames_[i] < to)
                    crossed.push_back({b.notify_, static_cast<int>(i)});
        }
        if (b.position_ >= end) {
            if (b.looping_) {
                b.position_ -= end;
            } else {
                b.playing_ = false;
                b.position_ = 0;
            }
        }
        f += run;
    }
}

void SoundMixer::Mix(int16_t* out, int frames, Handover handover) {
    if (frames <= 0) return;
    std::vector<Crossed> crossed;
    {
        std::lock_guard lock(mutex_);
        acc_.assign(static_cast<size_t>(frames) * 2, 0);
        for (SoundBuffer* b : buffers_)
            if (b->playing_) MixBuffer(*b, acc_.data(), frames, crossed);
        size_t n = static_cast<size_t>(frames) * 2;
        size_t i = 0;
#if defined(__SSE2__)
        if (!referenceOnly_) {
            for (; i + 8 <= n; i += 8) {
                const auto* a = reinterpret_cast<const __m128i*>(acc_.data() + i);
                __m128i packed = _mm_packs_epi32(_mm_loadu_si128(a), _mm_loadu_si128(a + 1));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), packed);
            }
        }
#endif
        for (; i < n; ++i)
            out[i] = Saturate(acc_[i]);
    }
    for (const Crossed& c : crossed)
        c.target->Signal(c.index);
    if (handover == Handover::WaitHandled) {
        std::vector<SoundNotify*> waited;
        for (const Crossed& c : crossed) {
            if (std::find(waited.begin(), waited.end(), c.target.get()) != waited.end()) continue;
            waited.push_back(c.target.get());
            c.target->WaitHandled();
        }
    }
}

} // namespace qw::platform
