#pragma once

#include <functional>

#include "platform/message_boxes.h"

class NumberPrompt;

// The program's prompts, with the number questions asked in the number prompt.
class QtPrompts : public MessageBoxes {
  public:
    // The number questions are asked here; without it they answer 0.
    void SetNumberPrompt(NumberPrompt* prompt) {
        numberPrompt_ = [prompt] { return prompt; };
    }
    // The window is found (or built) only when a number is asked.
    void SetNumberPrompt(std::function<NumberPrompt*()> prompt) { numberPrompt_ = std::move(prompt); }

    int AskCount(const QString& prompt) override;
    int AskSetNumber(const QString& prompt, QString& suffix) override;

  private:
    NumberPrompt* FindNumberPrompt() const { return numberPrompt_ ? numberPrompt_() : nullptr; }
    std::function<NumberPrompt*()> numberPrompt_;
};
