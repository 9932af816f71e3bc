#pragma once

#include "controls/PanelSettings.h"
#include "controls/WindowActions.h"
#include "controls/WindowState.h"

class ChatSession;
class DispatchLoop;
class ExtraCommand;
class Intake;
class Lifecycle;
class Lookups;
class Output;
class ReplyClassifier;

// The window's controls on a running terminal, wired to the parts they follow and call: what
// they show, what their clicks do, and the settings panel's logic.
class Controls {
  public:
    struct Terminal {
        Context ctx;
        ProcessValues& values;  // the controls change a few of them
        Output& out;
        ChatSession& chat;
        Lifecycle& life;
        DispatchLoop& dispatch;
        Intake& intake;
        ExtraCommand& extra;
        Lookups& lookups;
        ReplyClassifier& replies;
    };
    explicit Controls(Terminal t);

    WindowState state;
    WindowActions actions;
    PanelSettings panel;
};
