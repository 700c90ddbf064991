#pragma once

#include "platform/user_prompts.h"

class QWidget;

// The program's prompts: message boxes and file dialogs over the modal window that has the input, else over
// the active window or, when none is active, over the fallback parent. The number questions are the
// program's own windows.
class MessageBoxes : public UserPrompts {
  public:
    void SetFallbackParent(QWidget* parent) { fallbackParent_ = parent; }

    void Show(const QString& text) override;
    bool AskYesNo(const QString& text) override;
    QStringList ChooseOpenFiles(const FileChoice& choice, bool several) override;
    QString ChooseSaveFile(const FileChoice& choice, QString& selectedFilter) override;
    QString ChooseFolder(const FileChoice& choice) override;

  private:
    QWidget* Parent() const;
    QWidget* fallbackParent_ = nullptr;
};
