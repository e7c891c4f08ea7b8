// Where the fuzz targets that load and draw start from: message boxes
// recorded, the recording board behind the renderer and the texture manager,
// opened at 640 x 480 with a new scene's states. Ends the process when the
// renderer does not open.
#pragma once

namespace kelvtest {

void OpenFuzzRenderer();

}  // namespace kelvtest
