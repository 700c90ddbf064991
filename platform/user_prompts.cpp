#include "platform/user_prompts.h"

#include <QDebug>

namespace {

class LogPrompts : public UserPrompts {
  public:
    void Show(const QString& text) override { qWarning().noquote() << text; }
    bool AskYesNo(const QString& text) override {
        Show(text);
        return false;
    }
    QStringList ChooseOpenFiles(const FileChoice&, bool) override { return {}; }
    QString ChooseSaveFile(const FileChoice&, QString&) override { return {}; }
    QString ChooseFolder(const FileChoice&) override { return {}; }
    int AskCount(const QString&) override { return 0; }
    int AskSetNumber(const QString&, QString&) override { return 0; }
};

} // namespace

UserPrompts& LoggingPrompts() {
    static LogPrompts log;
    return log;
}
