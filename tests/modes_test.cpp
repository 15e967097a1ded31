// The modes' rules, event by event, from a state showing or not.
#include "host/modes.h"

#include <gtest/gtest.h>

namespace {

using Mode = ProgramOptions::Mode;
using E = ModeEvent;
using A = ModeAction;

struct Case {
  Mode mode;
  bool showing;
  ModeEvent event;
  ModeAction action;
  bool showingAfter;
};

TEST(NextModeAction, EachModeAnswersEachEvent) {
  const Case cases[] = {
      // The window: up at once; pressed or closed, it ends; a passing pointer does not.
      {Mode::Window, false, E::Start, A::Show, true},
      {Mode::Window, true, E::Press, A::Quit, true},
      {Mode::Window, true, E::PointerMoved, A::None, true},
      {Mode::Window, true, E::WindowClosed, A::Quit, true},
      {Mode::Window, true, E::Idled, A::None, true},
      {Mode::Window, true, E::OutputAdded, A::None, true},
      // --fullscreen: on every monitor at once; any input or a close ends it.
      {Mode::Fullscreen, false, E::Start, A::Show, true},
      {Mode::Fullscreen, true, E::Press, A::Quit, true},
      {Mode::Fullscreen, true, E::PointerMoved, A::Quit, true},
      {Mode::Fullscreen, true, E::WindowClosed, A::Quit, true},
      {Mode::Fullscreen, true, E::Resumed, A::None, true},
      {Mode::Fullscreen, true, E::OutputAdded, A::AddSurface, true},
      {Mode::Fullscreen, true, E::SurfaceClosed, A::RemakeSurface, true},
      {Mode::Fullscreen, true, E::OutputRemoved, A::DropSurface, true},
      // --idle: shown by idleness alone, hidden (never ended) by input, a resume or a close.
      {Mode::Idle, false, E::Start, A::None, false},
      {Mode::Idle, false, E::Press, A::None, false},
      {Mode::Idle, false, E::OutputAdded, A::None, false},
      {Mode::Idle, false, E::SurfaceClosed, A::None, false},
      {Mode::Idle, false, E::Resumed, A::None, false},
      {Mode::Idle, false, E::Idled, A::Show, true},
      {Mode::Idle, true, E::Idled, A::None, true},
      {Mode::Idle, true, E::Resumed, A::Hide, false},
      {Mode::Idle, true, E::Press, A::Hide, false},
      {Mode::Idle, true, E::PointerMoved, A::Hide, false},
      {Mode::Idle, true, E::WindowClosed, A::Hide, false},
      {Mode::Idle, true, E::OutputAdded, A::AddSurface, true},
      {Mode::Idle, true, E::SurfaceClosed, A::RemakeSurface, true},
      {Mode::Idle, false, E::OutputRemoved, A::DropSurface, false},
      // --background: up at once, for every monitor; input is not its own.
      {Mode::Background, false, E::Start, A::Show, true},
      {Mode::Background, true, E::Press, A::None, true},
      {Mode::Background, true, E::PointerMoved, A::None, true},
      {Mode::Background, true, E::Idled, A::None, true},
      {Mode::Background, true, E::Resumed, A::None, true},
      {Mode::Background, true, E::OutputAdded, A::AddSurface, true},
      {Mode::Background, true, E::SurfaceClosed, A::RemakeSurface, true},
  };
  for (const Case& c : cases) {
    ModeState state{c.mode, c.showing};
    EXPECT_EQ(NextModeAction(&state, c.event), c.action)
        << "mode " << static_cast<int>(c.mode) << (c.showing ? " showing" : " hidden")
        << ", event " << static_cast<int>(c.event);
    EXPECT_EQ(state.showing, c.showingAfter) << "event " << static_cast<int>(c.event);
  }
}

}  // namespace
