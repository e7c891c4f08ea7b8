#include "platform/mci/mci.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <new>

#include "platform/mci/backend.h"
#include "platform/mci/mci_internal.h"
#include "platform/mci/player.h"
#include "platform/win32/window.h"

namespace mci_detail {
namespace {

struct Device {
  std::unique_ptr<Disc> disc;
  DWORD timeFormat = MCI_FORMAT_MSF;
  Player player;
};

struct State {
  std::map<MCIDEVICEID, std::unique_ptr<Device>> devices;
  MCIDEVICEID next = 1;
};

// Never destroyed: a reader thread or the audio thread may still use a
// device while exit handlers run.
State& S() {
  static State* s = new State;
  return *s;
}

// MSF addresses count the two-second lead-in before sector 0.
constexpr std::uint32_t kMsfOffset = 2 * SECTORS_PER_SECOND;

DWORD SectorsToMsf(std::uint32_t sectors) {
  const std::uint32_t minutes = sectors / (60 * SECTORS_PER_SECOND);
  const std::uint32_t seconds = sectors / SECTORS_PER_SECOND % 60;
  const std::uint32_t frames = sectors % SECTORS_PER_SECOND;
  return MCI_MAKE_MSF(std::min<std::uint32_t>(minutes, 255), seconds, frames);
}

std::uint32_t MsfToSectors(DWORD m, DWORD s, DWORD f) { return (m * 60 + s) * SECTORS_PER_SECOND + f; }

std::uint32_t DiscEnd(const Disc& disc) {
  std::uint32_t end = 0;
  for (const Track& t : disc.tracks) end = std::max(end, t.start + t.sectors);
  return end;
}

const Track* TrackAt(const Disc& disc, std::uint32_t lsn) {
  for (const Track& t : disc.tracks)
    if (lsn >= t.start && lsn < t.start + t.sectors) return &t;
  return nullptr;
}

const Track* TrackNumber(const Disc& disc, DWORD number) {
  const long index = static_cast<long>(number) - disc.firstTrack;
  if (index < 0 || index >= static_cast<long>(disc.tracks.size())) return nullptr;
  return &disc.tracks[static_cast<std::size_t>(index)];
}

// A position in the device's time format as a sector; false when it lies
// off the disc (the disc's end itself is a position).
bool ToSector(const Device& d, DWORD position, std::uint32_t* lsn) {
  if (d.timeFormat == MCI_FORMAT_TMSF) {
    const Track* t = TrackNumber(*d.disc, position & 0xFF);
    if (t == nullptr) return false;
    *lsn = t->start + MsfToSectors((position >> 8) & 0xFF, (position >> 16) & 0xFF, position >> 24);
  } else {
    const std::uint32_t msf = MsfToSectors(MCI_MSF_MINUTE(position), MCI_MSF_SECOND(position), MCI_MSF_FRAME(position));
    if (msf < kMsfOffset) return false;
    *lsn = msf - kMsfOffset;
  }
  return *lsn <= DiscEnd(*d.disc);
}

void NotifyDone(DWORD flags, const MCI_GENERIC_PARMS* p, MCIDEVICEID id) {
  if ((flags & MCI_NOTIFY) != 0 && p != nullptr)
    PostMessageA(reinterpret_cast<HWND>(p->dwCallback), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, static_cast<LPARAM>(id));
}

bool IsCdAudioType(const char* type) {
  static const char kType[] = "cdaudio";
  if (type == nullptr) return false;
  for (std::size_t i = 0; i < sizeof kType; ++i)
    if (std::tolower(static_cast<unsigned char>(type[i])) != kType[i]) return false;
  return true;
}

// "D:" or "D:\": the root of a drive.
bool DriveRoot(const char* element, std::string* root) {
  if (element == nullptr || !std::isalpha(static_cast<unsigned char>(element[0])) || element[1] != ':') return false;
  if (element[2] != '\0' && !(element[2] == '\\' && element[3] == '\0')) return false;
  *root = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(element[0])))) + ":\\";
  return true;
}

MCIERROR Open(DWORD flags, MCI_OPEN_PARMSA* p, MCIDEVICEID* id) {
  if (p == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
  if ((flags & MCI_OPEN_TYPE) == 0 || !IsCdAudioType(p->lpstrDeviceType)) return MCIERR_INVALID_DEVICE_NAME;
  std::string root;
  if ((flags & MCI_OPEN_ELEMENT) != 0 && !DriveRoot(p->lpstrElementName, &root)) return MCIERR_INVALID_DEVICE_NAME;
  if (CurrentBackend().Fails(platform::TestMciFailure::OPEN)) return MCIERR_HARDWARE;
  std::unique_ptr<Disc> disc = CurrentBackend().OpenDisc(root);
  if (!disc) return MCIERR_DEVICE_NOT_READY;
  auto device = std::unique_ptr<Device>(new (std::nothrow) Device);
  if (!device) return MCIERR_OUT_OF_MEMORY;
  device->disc = std::move(disc);
  *id = S().next++;
  p->wDeviceID = *id;
  S().devices[*id] = std::move(device);
  NotifyDone(flags, reinterpret_cast<MCI_GENERIC_PARMS*>(p), *id);
  return 0;
}

MCIERROR Set(Device& d, MCIDEVICEID id, DWORD flags, MCI_SET_PARMS* p, DWORD* a) {
  if (p == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
  if ((flags & MCI_SET_TIME_FORMAT) == 0) return MCIERR_MISSING_PARAMETER;
  *a = p->dwTimeFormat;
  if (p->dwTimeFormat != MCI_FORMAT_MSF && p->dwTimeFormat != MCI_FORMAT_TMSF) return MCIERR_BAD_TIME_FORMAT;
  if (CurrentBackend().Fails(platform::TestMciFailure::SET)) return MCIERR_HARDWARE;
  d.timeFormat = p->dwTimeFormat;
  NotifyDone(flags, reinterpret_cast<MCI_GENERIC_PARMS*>(p), id);
  return 0;
}

MCIERROR Status(Device& d, MCIDEVICEID id, DWORD flags, MCI_STATUS_PARMS* p, DWORD* a, DWORD* b) {
  if (p == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
  if ((flags & MCI_STATUS_ITEM) == 0) return MCIERR_MISSING_PARAMETER;
  *a = p->dwItem;
  *b = (flags & MCI_TRACK) != 0 ? p->dwTrack : 0;
  if (CurrentBackend().Fails(platform::TestMciFailure::STATUS)) return MCIERR_HARDWARE;
  const Disc& disc = *d.disc;
  switch (p->dwItem) {
    case MCI_STATUS_LENGTH:
      if ((flags & MCI_TRACK) != 0) {
        const Track* t = TrackNumber(disc, p->dwTrack);
        if (t == nullptr) return MCIERR_OUTOFRANGE;
        p->dwReturn = SectorsToMsf(t->sectors);
      } else {
        p->dwReturn = SectorsToMsf(disc.tracks.empty() ? 0 : DiscEnd(disc) - disc.tracks.front().start);
      }
      break;
    case MCI_STATUS_NUMBER_OF_TRACKS:
      p->dwReturn = disc.tracks.size();
      break;
    default:
      return MCIERR_UNSUPPORTED_FUNCTION;
  }
  NotifyDone(flags, reinterpret_cast<MCI_GENERIC_PARMS*>(p), id);
  return 0;
}

MCIERROR Play(Device& d, MCIDEVICEID id, DWORD flags, MCI_PLAY_PARMS* p, DWORD* a, DWORD* b) {
  if (p == nullptr && (flags & (MCI_NOTIFY | MCI_FROM | MCI_TO)) != 0) return MCIERR_NULL_PARAMETER_BLOCK;
  // A play that waits would hold the game until the track ends.
  if ((flags & MCI_WAIT) != 0) return MCIERR_UNSUPPORTED_FUNCTION;
  const Disc& disc = *d.disc;
  if (disc.tracks.empty()) return MCIERR_HARDWARE;
  std::uint32_t from = disc.tracks.front().start;
  std::uint32_t to = DiscEnd(disc);
  if ((flags & MCI_FROM) != 0) {
    *a = p->dwFrom;
    if (!ToSector(d, p->dwFrom, &from)) return MCIERR_OUTOFRANGE;
  }
  if ((flags & MCI_TO) != 0) {
    *b = p->dwTo;
    if (!ToSector(d, p->dwTo, &to)) return MCIERR_OUTOFRANGE;
  }
  if (from > to) return MCIERR_OUTOFRANGE;
  const Track* first = TrackAt(disc, from);
  // Data tracks are not sound.
  if (first != nullptr && !first->audio) return MCIERR_HARDWARE;
  if (CurrentBackend().Fails(platform::TestMciFailure::PLAY)) return MCIERR_HARDWARE;
  // The play ends where the audio does.
  for (const Track& t : disc.tracks)
    if (!t.audio && t.start >= from && t.start < to) to = t.start;
  HWND notify = (flags & MCI_NOTIFY) != 0 ? reinterpret_cast<HWND>(p->dwCallback) : nullptr;
  d.player.Start(d.disc.get(), from, to - from, notify, id);
  return 0;
}

MCIERROR Stop(Device& d, MCIDEVICEID id, DWORD flags, MCI_GENERIC_PARMS* p) {
  if (p == nullptr && (flags & MCI_NOTIFY) != 0) return MCIERR_NULL_PARAMETER_BLOCK;
  if (CurrentBackend().Fails(platform::TestMciFailure::STOP)) return MCIERR_HARDWARE;
  d.player.Stop(MCI_NOTIFY_ABORTED);
  NotifyDone(flags, p, id);
  return 0;
}

MCIERROR Close(MCIDEVICEID id, DWORD flags, MCI_GENERIC_PARMS* p) {
  if (p == nullptr && (flags & MCI_NOTIFY) != 0) return MCIERR_NULL_PARAMETER_BLOCK;
  if (CurrentBackend().Fails(platform::TestMciFailure::CLOSE)) return MCIERR_HARDWARE;
  auto it = S().devices.find(id);
  it->second->player.Stop(MCI_NOTIFY_ABORTED);
  S().devices.erase(it);
  NotifyDone(flags, p, id);
  return 0;
}

}  // namespace

void CloseAllDevices() {
  for (auto& [id, device] : S().devices) device->player.Stop(MCI_NOTIFY_ABORTED);
  S().devices.clear();
}

void EndPlays(WPARAM flags) {
  for (auto& [id, device] : S().devices) device->player.Stop(flags);
}

}  // namespace mci_detail

MCIERROR mciSendCommandA(MCIDEVICEID id, UINT command, DWORD_PTR flags32, DWORD_PTR param) {
  using namespace mci_detail;
  const DWORD flags = static_cast<DWORD>(flags32);
  DWORD a = 0, b = 0;
  MCIERROR r = 0;
  if (command == MCI_OPEN) {
    MCIDEVICEID opened = 0;
    r = Open(flags, reinterpret_cast<MCI_OPEN_PARMSA*>(param), &opened);
    id = opened;
  } else {
    auto it = S().devices.find(id);
    if (it == S().devices.end()) {
      r = MCIERR_INVALID_DEVICE_ID;
    } else {
      Device& d = *it->second;
      switch (command) {
        case MCI_SET:
          r = Set(d, id, flags, reinterpret_cast<MCI_SET_PARMS*>(param), &a);
          break;
        case MCI_STATUS:
          r = Status(d, id, flags, reinterpret_cast<MCI_STATUS_PARMS*>(param), &a, &b);
          break;
        case MCI_PLAY:
          r = Play(d, id, flags, reinterpret_cast<MCI_PLAY_PARMS*>(param), &a, &b);
          break;
        case MCI_STOP:
          r = Stop(d, id, flags, reinterpret_cast<MCI_GENERIC_PARMS*>(param));
          break;
        case MCI_CLOSE:
          r = Close(id, flags, reinterpret_cast<MCI_GENERIC_PARMS*>(param));
          break;
        default:
          r = MCIERR_UNSUPPORTED_FUNCTION;
          break;
      }
    }
  }
  CurrentBackend().Note({id, command, flags, a, b, r});
  return r;
}
