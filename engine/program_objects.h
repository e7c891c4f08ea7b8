// The game's global objects are built in a fixed order before WinMain and
// torn down by exit handlers in the reverse order after it returns. The order
// matters (App's exit handler saves the options through the game controller
// and restores the mixer while both still exist), so it is kept here as one
// explicit table rather than left to the order of static initialisation.
//
// Each slot of the table belongs to one module. The engine fills its own
// slots; the layers above it (front end, world, network, riders) fill theirs
// with SetProgramObject before ConstructProgramObjects runs. An empty slot
// constructs nothing.
#pragma once

#include <new>

enum ProgramObjectSlot {
  PROGRAM_OBJECT_UI_ARCHIVE,
  PROGRAM_OBJECT_MISC_ARCHIVE,
  PROGRAM_OBJECT_TRACK_ARCHIVE,
  PROGRAM_OBJECT_MIXER,
  PROGRAM_OBJECT_RENDERER,
  PROGRAM_OBJECT_GAME_CONTROLLER,
  PROGRAM_OBJECT_PLAYERS_LIST,
  PROGRAM_OBJECT_SINGLE_RACE,
  PROGRAM_OBJECT_CHAMPIONSHIP,
  PROGRAM_OBJECT_TEXTURE_MANAGER,
  PROGRAM_OBJECT_GEOMETRY_PIPELINE,
  PROGRAM_OBJECT_CAMERA,
  PROGRAM_OBJECT_CD_AUDIO,
  PROGRAM_OBJECT_TEXT_DATABASE,
  PROGRAM_OBJECT_APP,
  PROGRAM_OBJECT_NET_GAME,
  PROGRAM_OBJECT_CURSOR,
  PROGRAM_OBJECT_RIDER_SNAPSHOTS,
  PROGRAM_OBJECT_IDENTITY_MATRIX,
  PROGRAM_OBJECT_HUD_WIDGETS,
  PROGRAM_OBJECT_COUNT
};

struct ProgramObject {
  const char* name;
  void (*construct)();    // null: nothing to build
  void (*exitHandler)();  // null: no exit handler
};

// Puts a module's construction and exit handler into its slot.
void SetProgramObject(ProgramObjectSlot slot, const ProgramObject& object);
const ProgramObject& GetProgramObject(ProgramObjectSlot slot);

// Builds the objects in slot order; each registers its exit handler right
// after its construction.
void ConstructProgramObjects();
// Runs the registered exit handlers in the reverse order and forgets them.
void RunProgramExitHandlers();

// Storage for a global object whose lifetime the table controls: nothing is
// built by static initialisation; the object's slot calls Construct, and its
// exit handler either Destroy or an exit operation that leaves the object in
// place (it is destroyed before the next Construct). The global itself is a
// reference bound to `object()`.
template <class T>
class ProgramStorage {
 public:
  constexpr ProgramStorage() : u_() {}
  ~ProgramStorage() {}

  void Construct() {
    Destroy();
    new (&u_.object) T();
    live_ = true;
  }
  void Destroy() {
    if (live_) u_.object.~T();
    live_ = false;
  }
  constexpr T& object() { return u_.object; }

 private:
  union Slot {
    constexpr Slot() : unused(0) {}
    ~Slot() {}
    char unused;
    T object;
  } u_;
  bool live_ = false;
};
