#pragma once

#include "store/Context.h"

class ChatSession;
class Output;
class YmQueue;

// The extra command ("RLV-CMD#"N, a balance check, say): sent to the supplier when the account
// comes online, when the booster starts and when the window's button is clicked. Merged
// terminals each send their own command to their own supplier.
class ExtraCommand {
  public:
    ExtraCommand(Context ctx, Output& out, ChatSession& chat, YmQueue& ym);

    void ImgExtraCommand_Click();

  private:
    Context ctx_;
    Output& out_;
    ChatSession& chat_;
    YmQueue& ym_;
};
