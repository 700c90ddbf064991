#include "app/user_prompts.h"

#include "app/number_prompt.h"

int QtPrompts::AskCount(const QString& prompt) {
    NumberPrompt* numbers = FindNumberPrompt();
    return numbers ? numbers->AskCount(prompt) : 0;
}

int QtPrompts::AskSetNumber(const QString& prompt, QString& suffix) {
    NumberPrompt* numbers = FindNumberPrompt();
    if (!numbers) return 0;
    const int number = numbers->AskSetNumber(prompt);
    suffix = numbers->SetSuffix();
    return number;
}
