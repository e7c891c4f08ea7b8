// What the 3D-board page and the Direct3D page have in common: the input,
// force-feedback, sound, shadow and effect controls (the same control ids
// on both), their captions and the way a choice among them is taken.
#pragma once

#include <cstdint>

#include "platform/mfc/mfc.h"
#include "setup/captions.h"

class CDisplayPage : public CPropertyPage {
 public:
  explicit CDisplayPage(const DialogTemplate& dialog) : CPropertyPage(dialog) {}
  ~CDisplayPage() override;

  // Fills every list from the tables and the settings.
  virtual void FillDeviceLists() = 0;

 protected:
  void Abort();
  // The labels' captions (entries 0 on, in the order of `labels`), the two
  // buttons' (the two entries after them), the Russian font where needed,
  // and the shadow and force-feedback lists from the seven entries after
  // those.
  void SetCaptions(CaptionTable table, const int* labels, int labelCount);
  // The input and sound tables; false (after the message and the abort)
  // when one cannot be read.
  bool EnumerateInputAndSound();
  // The input and sound lists, their selections and those of the shadow,
  // force-feedback and effect controls.
  void FillSharedLists();
  // Keyboard or joystick from the chosen input device; a joystick is
  // created to learn whether it has force feedback. False when it cannot
  // be created (the program then ends).
  bool TakeInputKind();
  // The shared controls' notifications; false when `id` is none of them.
  bool OnSharedCommand(int id, WORD code);
  // A list's new selection into its field; an unchanged one does nothing.
  void TakeSelection(int id, std::uint32_t* field);
  void TakeCheck(int id, std::uint8_t* field);

 private:
  void OnSelchangeInputDevice();
};
