#pragma once

#include "platform/ui.h"

// The program's message sink: modal boxes over the active window.
class MessageBoxes : public MessageSink {
  public:
    void Show(const QString& text) override;
    bool AskYesNo(const QString& text) override;
};
