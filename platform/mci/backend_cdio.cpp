// The real backend: libcdio opens the drive or the BIN/CUE image, and
// libcdio-paranoia reads the audio with its error correction, retrying a bad
// sector a few times only, so that a scratched disc or a damaged image ends
// the play instead of stalling it.
#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/memory.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/mci/backend.h"

namespace mci_detail {
namespace {

constexpr int kParanoiaRetries = 3;

// libcdio's own notes about odd cue sheets stay quiet; its errors are shown.
void LogHandler(cdio_log_level_t level, const char* message) {
  if (level >= CDIO_LOG_ERROR) std::fprintf(stderr, "Kelvarro: CD: %s\n", message);
}

bool EndsWith(const std::string& s, const char* tail) {
  const std::size_t n = std::strlen(tail);
  if (s.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != tail[i]) return false;
  return true;
}

class CdioDisc final : public Disc {
 public:
  explicit CdioDisc(CdIo_t* cdio) : cdio_(cdio) {}
  ~CdioDisc() override {
    if (paranoia_) cdio_paranoia_free(paranoia_);
    if (drive_) cdio_cddap_close_no_free_cdio(drive_);
    cdio_destroy(cdio_);
  }

  bool ReadTableOfContents() {
    const track_t first = cdio_get_first_track_num(cdio_);
    const track_t count = cdio_get_num_tracks(cdio_);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) return false;
    firstTrack = first;
    for (track_t t = first; t < first + count; ++t) {
      const lsn_t start = cdio_get_track_lsn(cdio_, t);
      const lsn_t last = cdio_get_track_last_lsn(cdio_, t);
      if (start == CDIO_INVALID_LSN || last == CDIO_INVALID_LSN || start < 0 || last < start) return false;
      tracks.push_back({cdio_get_track_format(cdio_, t) == TRACK_FORMAT_AUDIO, static_cast<std::uint32_t>(start),
                        static_cast<std::uint32_t>(last - start + 1)});
    }
    // Paranoia when it takes the disc; plain reads otherwise.
    drive_ = cdio_cddap_identify_cdio(cdio_, CDDA_MESSAGE_FORGETIT, nullptr);
    if (drive_ && cdio_cddap_open(drive_) == 0) {
      paranoia_ = cdio_paranoia_init(drive_);
      if (paranoia_) cdio_paranoia_modeset(paranoia_, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    }
    return true;
  }

  bool Read(std::uint32_t lsn, std::uint32_t count, std::int16_t* out) override {
    if (paranoia_ == nullptr) {
      return cdio_read_audio_sectors(cdio_, out, static_cast<lsn_t>(lsn), count) == DRIVER_OP_SUCCESS;
    }
    if (lsn != next_) cdio_paranoia_seek(paranoia_, static_cast<int32_t>(lsn), SEEK_SET);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::int16_t* sector = cdio_paranoia_read_limited(paranoia_, nullptr, kParanoiaRetries);
      if (sector == nullptr) return false;
      std::memcpy(out + static_cast<std::size_t>(i) * SECTOR_FRAMES * 2, sector, CDIO_CD_FRAMESIZE_RAW);
    }
    next_ = lsn + count;
    return true;
  }

 private:
  CdIo_t* cdio_;
  cdrom_drive_t* drive_ = nullptr;
  cdrom_paranoia_t* paranoia_ = nullptr;
  std::uint32_t next_ = 0;
};

class CdioBackend final : public Backend {
 public:
  CdioBackend() { cdio_log_set_handler(&LogHandler); }

  // The image of KELVARRO_CD stands in every drive; without it the system's
  // first optical drive is the disc, whatever letter the game asks for.
  std::unique_ptr<Disc> OpenDisc(const std::string&) override {
    CdIo_t* cdio = nullptr;
    if (const char* image = std::getenv("KELVARRO_CD"); image != nullptr && *image != '\0') {
      const std::string path = image;
      cdio = EndsWith(path, ".cue") ? cdio_open_cue(path.c_str()) : cdio_open(path.c_str(), DRIVER_UNKNOWN);
      if (cdio == nullptr) std::fprintf(stderr, "Kelvarro: KELVARRO_CD=\"%s\" is not a readable disc image\n", image);
    } else {
      char* device = cdio_get_default_device(nullptr);
      if (device != nullptr) {
        cdio = cdio_open(device, DRIVER_DEVICE);
        cdio_free(device);
      }
    }
    if (cdio == nullptr) return nullptr;
    auto disc = std::make_unique<CdioDisc>(cdio);
    if (!disc->ReadTableOfContents()) return nullptr;
    return disc;
  }
};

}  // namespace

Backend* MakeCdioBackend() { return new CdioBackend; }

}  // namespace mci_detail
