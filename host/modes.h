// modes.h: the rules of the Linux program's modes on Wayland, apart from any protocol: what
// idleness, a resume, input, a closed surface or a monitor coming or going does in each
// mode. The front end turns each protocol event into a ModeEvent and carries out the
// ModeAction it gets back.
//
//   (window)      shown at once; a key, click, touch or scroll ends it, pointer motion not
//   --fullscreen  shown at once on every monitor; any input ends it
//   --idle        shown when idle, hidden by input or the compositor's resume, never ended
//                 by them
//   --background  shown at once on every monitor; input is not its own
#pragma once
#include "settings/options.h"

enum class ModeEvent {
  Start,
  Idled,         // the compositor says the user is idle
  Resumed,       // ... and active again
  Press,         // a key, a button, a touch or a scroll
  PointerMoved,  // the pointer went beyond a nudge
  WindowClosed,  // the compositor (or the user through it) closed a window of ours
  SurfaceClosed,  // the compositor took an overlay away from a monitor it keeps
  OutputAdded,
  OutputRemoved,
};

enum class ModeAction {
  None,
  Show,           // a surface on every monitor (or the window)
  Hide,           // every surface gone
  Quit,           // end the run, status 0
  AddSurface,     // one for the monitor of the event
  DropSurface,    // the monitor's surface gone
  RemakeSurface,  // the monitor's surface made again
};

struct ModeState {
  ProgramOptions::Mode mode;
  bool showing;
};

ModeAction NextModeAction(ModeState* state, ModeEvent event);
