#pragma once

#include "app/user_prompts.h"
#include "support/test_support.h"

// The recording prompts, whose number questions go to the real number prompt, which tests fill in, unless
// the test answers them itself.
struct TestPrompts : RecordingPrompts {
    void SetNumberPrompt(NumberPrompt* prompt) { numbers_.SetNumberPrompt(prompt); }

    int AskCount(const QString& prompt) override { return count ? count(prompt) : numbers_.AskCount(prompt); }
    int AskSetNumber(const QString& prompt, QString& suffix) override {
        return setNumber ? setNumber(prompt, suffix) : numbers_.AskSetNumber(prompt, suffix);
    }

  private:
    QtPrompts numbers_;
};
