// Inside the MCI layer: one device's playback. A reader thread reads the
// disc's sectors ahead into a ring buffer of about a second; the audio output
// drains it (Read runs on the audio thread). The play's notification is
// posted exactly once: success when the last sample has been mixed, failure
// on a read error, aborted or superseded when the play is ended early.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/dsound/output.h"
#include "platform/mci/backend.h"

namespace mci_detail {

class Player final : public platform::OutputStream {
 public:
  Player();
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  // Plays `sectors` sectors from `lsn`; `notify` null: no notification.
  // The disc must outlive the play.
  void Start(Disc* disc, std::uint32_t lsn, std::uint32_t sectors, HWND notify, MCIDEVICEID device);
  // Ends the play at once; a pending notification is posted with `flags`
  // (MCI_NOTIFY_ABORTED, MCI_NOTIFY_SUPERSEDED, or MCI_NOTIFY_SUCCESSFUL or
  // MCI_NOTIFY_FAILURE for an end the test brings about).
  void Stop(WPARAM flags);
  // Whether there is sound still to come.
  bool Playing();

  void Read(float* out, int frames, bool wait) override;

 private:
  void ReaderLoop(Disc* disc, std::uint32_t lsn, std::uint32_t sectors);
  // With the lock held.
  void PostPending(WPARAM flags);

  std::mutex lock_;
  std::condition_variable space_;
  std::condition_variable data_;  // for a Read that waits
  std::vector<float> ring_;  // interleaved stereo
  std::size_t head_ = 0;     // frames
  std::size_t count_ = 0;    // frames
  bool started_ = false;
  bool stopRequested_ = false;
  bool readerDone_ = false;
  bool pending_ = false;
  HWND notify_ = nullptr;
  MCIDEVICEID device_ = 0;
  std::thread reader_;
};

}  // namespace mci_detail
