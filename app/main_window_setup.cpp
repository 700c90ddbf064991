#include <QFont>
#include <QPushButton>
#include <QTimer>

#include "app/main_window.h"
#include "platform/ui.h"
#include "ui/controls/fading_label.h"
#include "ui/controls/file_drop_target.h"

void MainWindow::CreateDropTarget() {
    DropFileTarget1 = new DropFileTarget(context_.Prompts(), this);
    DropFileTarget1->Dragtypes = DropFileTarget::dtCopy;
    DropFileTarget1->GetDataOnEnter = true;
    DropFileTarget1->RegisterControl(panel_->invlist);
    DropFileTarget1->OnDrop = [this](DropFileTarget* sender, Qt::KeyboardModifiers, QPoint, int&) {
        // Read after the drop has ended: the question before loading must not hold up the drag source.
        QTimer::singleShot(0, this, [this, files = sender->Files] {
            RunGuarded(context_.Prompts(), [&] { files_.DropFiles(files); });
        });
    };
}

void MainWindow::CreateStatusLine(QWidget* client) {
    FadingLabel1 = new FadingLabel(client);
    FadingLabel1->setObjectName(QStringLiteral("FadingLabel1"));
    QFont bold = FadingLabel1->font();
    bold.setBold(true);
    FadingLabel1->setFont(bold);
    FadingLabel1->setFontColor(QColor(0, 0x80, 0));
    FadingLabel1->setFade(true);
    FadingLabel1->setBetweenColors(16);
    FadingLabel1->setFadeSpeed(30);
    FadingLabel1->setFadeAlltheTime(true);
    // It stands where "Other jpgs" does and covers it while a status shows.
    FadingLabel1->setAutoFillBackground(true);
    FadingLabel1->resize(300, 16);
    FadingLabel1->setEnabled(false);
    FadingLabel1->hide();

    // Reached while the commands wait, so it bypasses the busy check of the other controls; Esc works too.
    CancelDownload = new QPushButton(QStringLiteral("Cancel"), client);
    CancelDownload->setObjectName(QStringLiteral("CancelDownload"));
    CancelDownload->setShortcut(Qt::Key_Escape);
    CancelDownload->setFocusPolicy(Qt::NoFocus);
    CancelDownload->hide();
    connect(CancelDownload, &QPushButton::clicked, this,
            Guarded(context_.Prompts(), [this] { web_->Service().Cancel(); }));
}
