#include <gtest/gtest.h>

#include <QClipboard>
#include <QCoreApplication>
#include <QDropEvent>
#include <QGuiApplication>
#include <QListWidget>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>

#include "support/test_support.h"
#include "ui/controls/file_drop_target.h"

namespace {

struct Drop {
    explicit Drop(QMimeData* mime, Qt::DropActions allowed = Qt::CopyAction | Qt::MoveAction,
                  Qt::KeyboardModifiers held = Qt::NoModifier)
        : data(mime), actions(allowed), keys(held) {}
    // Sends enter, move and drop to the list's viewport as a real drag would; returns the drop's answer.
    std::pair<bool, Qt::DropAction> On(QListWidget& list) {
        QPoint point(10, 10);
        QDragEnterEvent enter(point, actions, data.get(), Qt::LeftButton, keys);
        QCoreApplication::sendEvent(list.viewport(), &enter);
        enterAccepted = enter.isAccepted();
        QDragMoveEvent move(point, actions, data.get(), Qt::LeftButton, keys);
        QCoreApplication::sendEvent(list.viewport(), &move);
        QDropEvent drop(QPointF(point), actions, data.get(), Qt::LeftButton, keys);
        QCoreApplication::sendEvent(list.viewport(), &drop);
        return {drop.isAccepted(), drop.dropAction()};
    }
    std::unique_ptr<QMimeData> data;
    Qt::DropActions actions;
    Qt::KeyboardModifiers keys;
    bool enterAccepted = false;
};

QMimeData* FileList(const QStringList& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

} // namespace

TEST(DropFileTarget, ThreeFilesArriveInTheSourcesOrder) {
    QListWidget invlist;
    DropFileTarget target{TestMessages::Prompts()};
    target.RegisterControl(&invlist);
    QStringList received;
    int drops = 0;
    target.OnDrop = [&](DropFileTarget* sender, Qt::KeyboardModifiers, QPoint, int& effect) {
        received = sender->Files;
        EXPECT_EQ(effect, DropFileTarget::dtCopy);
        ++drops;
    };
    const QStringList paths = {"/data/b.inv", "/data/a set.prn", "/data/c.csv"};
    Drop drop(FileList(paths), Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier); // Shift: still copy
    auto [accepted, action] = drop.On(invlist);
    EXPECT_TRUE(drop.enterAccepted);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(action, Qt::CopyAction);
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(received, paths);
    EXPECT_TRUE(target.Files.isEmpty()); // valid only during the drop
}

TEST(DropFileTarget, TextAndRemoteLinksAreRefused) {
    QListWidget invlist;
    DropFileTarget target{TestMessages::Prompts()};
    target.RegisterControl(&invlist);
    int drops = 0;
    target.OnDrop = [&](auto&&...) { ++drops; };
    auto* text = new QMimeData;
    text->setText("/data/a.inv");
    Drop textDrop(text);
    EXPECT_FALSE(textDrop.On(invlist).first);
    EXPECT_FALSE(textDrop.enterAccepted);
    auto* remote = new QMimeData;
    remote->setUrls({QUrl("https://example.org/a.inv")});
    EXPECT_FALSE(Drop(remote).On(invlist).first);
    EXPECT_FALSE(Drop(FileList({"/data/a.inv"}), Qt::LinkAction).On(invlist).first); // copy only
    EXPECT_EQ(drops, 0);
}

TEST(DropFileTarget, RegisteringAnotherControlRevokesTheFirst) {
    QListWidget first, second;
    DropFileTarget target{TestMessages::Prompts()};
    target.RegisterControl(&first);
    target.RegisterControl(&first);
    target.RegisterControl(&second);
    int drops = 0;
    target.OnDrop = [&](auto&&...) { ++drops; };
    Drop(FileList({"/a"})).On(first);
    EXPECT_EQ(drops, 0);
    EXPECT_FALSE(first.viewport()->acceptDrops());
    Drop(FileList({"/a"})).On(second);
    EXPECT_EQ(drops, 1);
}

TEST(DropFileTarget, EffectFollowsKeysAndAllowedEffects) {
    using T = DropFileTarget;
    const int all = T::dtCopy | T::dtMove | T::dtLink;
    EXPECT_EQ(T::ChooseEffect(all, Qt::ShiftModifier | Qt::ControlModifier), T::dtLink);
    EXPECT_EQ(T::ChooseEffect(all, Qt::ShiftModifier), T::dtMove);
    EXPECT_EQ(T::ChooseEffect(all, Qt::ControlModifier), T::dtCopy);
    EXPECT_EQ(T::ChooseEffect(T::dtCopy, Qt::ShiftModifier), T::dtCopy);
    EXPECT_EQ(T::ChooseEffect(T::dtMove | T::dtLink, Qt::NoModifier), T::dtMove);
    EXPECT_EQ(T::ChooseEffect(0, Qt::ShiftModifier), T::deNone);
}

// Near an edge that can scroll, the effect carries the scroll bit and the timer scrolls a line a tick.
TEST(DropFileTarget, DraggingAlongAnEdgeScrollsTheList) {
    QListWidget invlist;
    for (int i = 0; i < 200; ++i)
        invlist.addItem(QString("row %1").arg(i));
    invlist.resize(200, 120);
    invlist.show();
    DropFileTarget target{TestMessages::Prompts()};
    target.RegisterControl(&invlist);
    std::vector<int> effects;
    target.OnEnter = target.OnDragOver = [&](DropFileTarget*, Qt::KeyboardModifiers, QPoint, int& effect) {
        effects.push_back(effect);
    };
    std::unique_ptr<QMimeData> data(FileList({"/data/a.inv"}));
    QWidget* viewport = invlist.viewport();
    const QPoint nearBottom(50, viewport->height() - 3), middle(50, viewport->height() / 2);
    QDragEnterEvent enter(nearBottom, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    EXPECT_EQ(target.ScrollDirections, DropFileTarget::sdVertical);
    EXPECT_EQ(effects.back(), DropFileTarget::dtCopy | DropFileTarget::deScroll);
    EXPECT_TRUE(enter.isAccepted()) << "the scroll bit does not spoil the answer";
    EXPECT_TRUE(target.Scrolling());
    target.ScrollTick();
    target.ScrollTick();
    EXPECT_EQ(invlist.verticalScrollBar()->value(), 2);

    QDragMoveEvent move(middle, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
    EXPECT_EQ(effects.back(), DropFileTarget::dtCopy);
    EXPECT_FALSE(target.Scrolling());
    QDragMoveEvent top(QPoint(50, 2), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &top);
    target.ScrollTick();
    EXPECT_EQ(invlist.verticalScrollBar()->value(), 1);
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(viewport, &leave);
    EXPECT_FALSE(target.Scrolling());
}

TEST(DropFileTarget, PasteCheckTakesTheClipboardsFilesAndItsPreferredEffect) {
    DropFileTarget target{TestMessages::Prompts()};
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setMimeData(FileList({"/data/a.inv", "/data/b.prn"}));
    EXPECT_EQ(target.PasteCheck(), DropFileTarget::dtCopy);
    EXPECT_EQ(target.Files, (QStringList{"/data/a.inv", "/data/b.prn"}));
    QMimeData* cut = FileList({"/data/c.csv"});
    cut->setData("x-special/gnome-copied-files", "cut\nfile:///data/c.csv");
    clipboard->setMimeData(cut);
    EXPECT_EQ(target.PasteCheck(), DropFileTarget::dtMove);
    clipboard->setText("just text");
    EXPECT_EQ(target.PasteCheck(), DropFileTarget::deNone);
    EXPECT_TRUE(target.Files.isEmpty());
}
