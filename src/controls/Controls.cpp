#include "controls/Controls.h"

Controls::Controls(Terminal t)
    : state(t.ctx, t.chat, t.life, t.dispatch, t.intake),
      actions(t.ctx, t.values, t.out, WindowActions::Collaborators{state, t.chat, t.life, t.extra}),
      panel(t.ctx, t.values, t.out, PanelSettings::Collaborators{state, t.lookups, t.replies}) {}
