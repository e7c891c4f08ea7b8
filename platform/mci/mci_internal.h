// Inside the MCI layer: what the test backend asks of the command layer.
#pragma once

#include "platform/win32/types.h"

namespace mci_detail {

// Ends every play and closes every device (switching backends).
void CloseAllDevices();
// Ends the plays still sounding, posting `flags` for those that notify.
void EndPlays(WPARAM flags);

}  // namespace mci_detail
