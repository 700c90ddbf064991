#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>

#include "ui/file_drop_target.h"

namespace {

struct Drop {
    explicit Drop(QMimeData* data, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction,
                  Qt::KeyboardModifiers keys = Qt::NoModifier)
        : data(data), actions(actions), keys(keys) {}
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
    DropFileTarget target;
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
    DropFileTarget target;
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
    DropFileTarget target;
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
