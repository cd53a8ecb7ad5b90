#include "platform/AudioSink.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <thread>
#include <vector>

namespace qw::platform {

namespace {

void Put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Put16(std::string& s, uint16_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}

class HeadlessAudioSink final : public AudioSink {
public:
    HeadlessAudioSink(std::shared_ptr<SoundMixer> mixer, const std::string& wavPath)
        : mixer_(std::move(mixer)), path_(wavPath) {
        if (path_.empty()) return;
        partPath_ = path_ + ".part";
        file_ = std::fopen(partPath_.c_str(), "wb");
        if (!file_) {
            std::fprintf(stderr, "quillwork: cannot write %s\n", path_.c_str());
            return;
        }
        std::string header = WavHeader(0);
        std::fwrite(header.data(), 1, header.size(), file_);
    }
    ~HeadlessAudioSink() override {
        if (!file_) return;
        // The sizes are known now: rewrite the header, then move the file into place.
        uint64_t bytes = frames_ * 4;
        std::string header =
            WavHeader(static_cast<uint32_t>(std::min<uint64_t>(bytes, 0xFFFFFFD3u)));
        bool ok = std::fseek(file_, 0, SEEK_SET) == 0 &&
                  std::fwrite(header.data(), 1, header.size(), file_) == header.size();
        ok = std::fclose(file_) == 0 && ok;
        if (!ok || std::rename(partPath_.c_str(), path_.c_str()) != 0) {
            std::remove(partPath_.c_str());
            std::fprintf(stderr, "quillwork: cannot write %s\n", path_.c_str());
        }
    }
    const char* Name() const override { return "null"; }
    uint64_t Frames() const override { return frames_; }
    void Pass(uint32_t ms) override {
        virtualMs_ += ms;
        uint64_t target = virtualMs_ * kMixRate / 1000;
        int frames = static_cast<int>(target - frames_);
        if (frames <= 0) return;
        block_.resize(static_cast<size_t>(frames) * 2);
        mixer_->Mix(block_.data(), frames, SoundMixer::Handover::WaitHandled);
        frames_ = target;
        if (file_) std::fwrite(block_.data(), sizeof(int16_t), block_.size(), file_);
    }

private:
    std::shared_ptr<SoundMixer> mixer_;
    std::string path_, partPath_;
    std::FILE* file_ = nullptr;
    uint64_t virtualMs_ = 0;
    uint64_t frames_ = 0;
    std::vector<int16_t> block_;
};

class ClockAudioSink final : public AudioSink {
public:
    explicit ClockAudioSink(std::shared_ptr<SoundMixer> mixer) : mixer_(std::move(mixer)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~ClockAudioSink() override {
        {
            std::lock_guard lock(mutex_);
            exit_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    const char* Name() const override { return "null"; }
    uint64_t Frames() const override { return frames_.load(); }

private:
    void Run() {
        auto start = std::chrono::steady_clock::now();
        std::vector<int16_t> block;
        std::unique_lock lock(mutex_);
        while (!cv_.wait_for(lock, std::chrono::milliseconds(10), [this] { return exit_; })) {
            auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
            uint64_t target = static_cast<uint64_t>(us) * kMixRate / 1000000;
            int frames = static_cast<int>(target - frames_.load());
            if (frames <= 0) continue;
            block.resize(static_cast<size_t>(frames) * 2);
            lock.unlock();
            mixer_->Mix(block.data(), frames, SoundMixer::Handover::Signal);
            frames_ = target;
            lock.lock();
        }
    }

    std::shared_ptr<SoundMixer> mixer_;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool exit_ = false;
    std::atomic<uint64_t> frames_{0};
    std::thread thread_;
};

} // namespace

std::string WavHeader(uint32_t dataBytes) {
    std::string h = "RIFF";
    Put32(h, 36 + dataBytes);
    h += "WAVEfmt ";
    Put32(h, 16);
    Put16(h, 1); // PCM
    Put16(h, 2);
    Put32(h, kMixRate);
    Put32(h, kMixRate * 4);
    Put16(h, 4);
    Put16(h, 16);
    h += "data";
    Put32(h, dataBytes);
    return h;
}

std::unique_ptr<AudioSink> MakeHeadlessAudioSink(std::shared_ptr<SoundMixer> mixer,
                                                 const std::string& wavPath) {
    return std::make_unique<HeadlessAudioSink>(std::move(mixer), wavPath);
}

std::unique_ptr<AudioSink> MakeClockAudioSink(std::shared_ptr<SoundMixer> mixer) {
    return std::make_unique<ClockAudioSink>(std::move(mixer));
}

} // namespace qw::platform
