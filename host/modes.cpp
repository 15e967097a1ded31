// modes.cpp: the modes' rules.
#include "host/modes.h"

namespace {

using Mode = ProgramOptions::Mode;

// What showing becomes for an action.
ModeAction Showing(ModeState* state, bool showing, ModeAction action) {
  if (state->showing == showing) return ModeAction::None;
  state->showing = showing;
  return action;
}

// Input that ends or hides the saver.
ModeAction Ended(ModeState* state) {
  switch (state->mode) {
    case Mode::Window:
    case Mode::Fullscreen:
      return ModeAction::Quit;
    case Mode::Idle:
      return Showing(state, false, ModeAction::Hide);
    case Mode::Background:
      break;
  }
  return ModeAction::None;
}

}  // namespace

ModeAction NextModeAction(ModeState* state, ModeEvent event) {
  const bool idle = state->mode == Mode::Idle;
  const bool monitors = state->mode != Mode::Window;
  switch (event) {
    case ModeEvent::Start:
      return idle ? ModeAction::None : Showing(state, true, ModeAction::Show);
    case ModeEvent::Idled:
      return idle ? Showing(state, true, ModeAction::Show) : ModeAction::None;
    case ModeEvent::Resumed:
      return idle ? Showing(state, false, ModeAction::Hide) : ModeAction::None;
    case ModeEvent::Press:
      return Ended(state);
    case ModeEvent::PointerMoved:
      // A window stays under a passing pointer, as any window does.
      return state->mode == Mode::Window ? ModeAction::None : Ended(state);
    case ModeEvent::WindowClosed:
      // An idle saver waits for the next idleness; the others have nothing left to show.
      return idle ? Showing(state, false, ModeAction::Hide) : ModeAction::Quit;
    case ModeEvent::SurfaceClosed:
      return state->showing && monitors ? ModeAction::RemakeSurface : ModeAction::None;
    case ModeEvent::OutputAdded:
      return state->showing && monitors ? ModeAction::AddSurface : ModeAction::None;
    case ModeEvent::OutputRemoved:
      return ModeAction::DropSurface;
  }
  return ModeAction::None;
}
