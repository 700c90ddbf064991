#pragma once

#include <functional>

#include <QStringList>

#include "app/file_choice.h"

class NumberPrompt;
class QWidget;

// Every question the program puts to the user and every message it shows: the main window supplies the Qt
// one, tests put in their own. Messages and Yes/No questions go to the message sink, which the code below
// the program shares.
class UserPrompts {
  public:
    virtual ~UserPrompts() = default;

    virtual void Show(const QString& text);
    // True for Yes.
    virtual bool AskYesNo(const QString& text);
    // The chosen files (at most one unless several), empty when cancelled.
    virtual QStringList ChooseOpenFiles(const FileChoice& choice, bool several) = 0;
    // Asks before overwriting; selectedFilter receives the filter in use. Empty when cancelled.
    virtual QString ChooseSaveFile(const FileChoice& choice, QString& selectedFilter) = 0;
    virtual QString ChooseFolder(const FileChoice& choice) = 0;
    // How many files to open; 0 when cancelled or left empty.
    virtual int AskCount(const QString& prompt) = 0;
    // A set number (0 when cancelled) and the set suffix chosen beside it.
    virtual int AskSetNumber(const QString& prompt, QString& suffix) = 0;
};

// The modal dialogs, over the active window (or the fallback parent when none is active).
class QtPrompts : public UserPrompts {
  public:
    explicit QtPrompts(QWidget* fallbackParent) : fallbackParent_(fallbackParent) {}
    // The number questions are asked here; without it they answer 0.
    void SetNumberPrompt(NumberPrompt* prompt) {
        numberPrompt_ = [prompt] { return prompt; };
    }
    // The window is found (or built) only when a number is asked.
    void SetNumberPrompt(std::function<NumberPrompt*()> prompt) { numberPrompt_ = std::move(prompt); }

    QStringList ChooseOpenFiles(const FileChoice& choice, bool several) override;
    QString ChooseSaveFile(const FileChoice& choice, QString& selectedFilter) override;
    QString ChooseFolder(const FileChoice& choice) override;
    int AskCount(const QString& prompt) override;
    int AskSetNumber(const QString& prompt, QString& suffix) override;

  private:
    QWidget* Parent() const;
    QWidget* fallbackParent_;
    NumberPrompt* FindNumberPrompt() const { return numberPrompt_ ? numberPrompt_() : nullptr; }
    std::function<NumberPrompt*()> numberPrompt_;
};
