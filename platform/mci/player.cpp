#include "platform/mci/player.h"

#include <algorithm>

#include "platform/win32/window.h"

namespace mci_detail {
namespace {

constexpr std::size_t kRingFrames = 44100;
// Sectors read at a time: about a fifth of a second.
constexpr std::uint32_t kChunkSectors = 16;

}  // namespace

Player::Player() : ring_(2 * kRingFrames) {}

Player::~Player() { Stop(MCI_NOTIFY_ABORTED); }

void Player::PostPending(WPARAM flags) {
  if (!pending_) return;
  pending_ = false;
  PostMessageA(notify_, MM_MCINOTIFY, flags, static_cast<LPARAM>(device_));
}

void Player::Start(Disc* disc, std::uint32_t lsn, std::uint32_t sectors, HWND notify, MCIDEVICEID device) {
  Stop(MCI_NOTIFY_SUPERSEDED);
  {
    std::lock_guard<std::mutex> hold(lock_);
    head_ = 0;
    count_ = 0;
    stopRequested_ = false;
    readerDone_ = sectors == 0;
    pending_ = notify != nullptr;
    notify_ = notify;
    device_ = device;
    started_ = true;
    // Nothing to play: done at once.
    if (readerDone_) PostPending(MCI_NOTIFY_SUCCESSFUL);
  }
  if (sectors == 0) return;
  platform::AttachOutputStream(this);
  reader_ = std::thread(&Player::ReaderLoop, this, disc, lsn, sectors);
}

void Player::Stop(WPARAM flags) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (!started_) return;
    started_ = false;
    stopRequested_ = true;
    PostPending(flags);
  }
  space_.notify_all();
  data_.notify_all();
  if (reader_.joinable()) reader_.join();
  platform::DetachOutputStream(this);
  std::lock_guard<std::mutex> hold(lock_);
  head_ = 0;
  count_ = 0;
}

bool Player::Playing() {
  std::lock_guard<std::mutex> hold(lock_);
  return started_ && !stopRequested_ && !(readerDone_ && count_ == 0);
}

void Player::ReaderLoop(Disc* disc, std::uint32_t lsn, std::uint32_t sectors) {
  std::vector<std::int16_t> pcm(static_cast<std::size_t>(kChunkSectors) * SECTOR_FRAMES * 2);
  const std::uint32_t end = lsn + sectors;
  while (lsn < end) {
    const std::uint32_t n = std::min(kChunkSectors, end - lsn);
    if (!disc->Read(lsn, n, pcm.data())) {
      std::lock_guard<std::mutex> hold(lock_);
      readerDone_ = true;
      count_ = 0;
      PostPending(MCI_NOTIFY_FAILURE);
      data_.notify_all();
      return;
    }
    const std::size_t frames = static_cast<std::size_t>(n) * SECTOR_FRAMES;
    std::size_t done = 0;
    while (done < frames) {
      std::unique_lock<std::mutex> hold(lock_);
      space_.wait(hold, [this] { return stopRequested_ || count_ < kRingFrames; });
      if (stopRequested_) return;
      const std::size_t k = std::min(frames - done, kRingFrames - count_);
      std::size_t tail = (head_ + count_) % kRingFrames;
      for (std::size_t i = 0; i < k; ++i) {
        ring_[2 * tail] = static_cast<float>(pcm[2 * (done + i)]) * (1.0f / 32768.0f);
        ring_[2 * tail + 1] = static_cast<float>(pcm[2 * (done + i) + 1]) * (1.0f / 32768.0f);
        tail = tail + 1 == kRingFrames ? 0 : tail + 1;
      }
      count_ += k;
      done += k;
      data_.notify_all();
    }
    lsn += n;
  }
  std::lock_guard<std::mutex> hold(lock_);
  readerDone_ = true;
  data_.notify_all();
}

void Player::Read(float* out, int frames, bool wait) {
  bool freed = false;
  {
    std::unique_lock<std::mutex> hold(lock_);
    if (wait) {
      const std::size_t want = std::min(static_cast<std::size_t>(frames), kRingFrames);
      data_.wait(hold, [&] { return !started_ || stopRequested_ || readerDone_ || count_ >= want; });
    }
    if (!started_ || stopRequested_) return;
    const std::size_t n = std::min(static_cast<std::size_t>(frames), count_);
    for (std::size_t i = 0; i < n; ++i) {
      out[2 * i] = ring_[2 * head_];
      out[2 * i + 1] = ring_[2 * head_ + 1];
      head_ = head_ + 1 == kRingFrames ? 0 : head_ + 1;
    }
    count_ -= n;
    freed = n > 0;
    // The last sample has been mixed.
    if (readerDone_ && count_ == 0) PostPending(MCI_NOTIFY_SUCCESSFUL);
  }
  if (freed) space_.notify_one();
}

}  // namespace mci_detail
