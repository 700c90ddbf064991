#include <gtest/gtest.h>

#include <QObject>
#include <stdexcept>

#include "platform/ui.h"
#include "support/test_support.h"

namespace {

class Sender : public QObject {
    Q_OBJECT
  signals:
    void Named(const QString& name);
};

} // namespace

// A handler connected through Guarded gets the signal's arguments when it takes them, and what it throws
// is shown through the prompts it was given instead of crossing the event loop.
TEST(Guarded, ForwardsArgumentsAndShowsWhatEscapesThroughItsPrompts) {
    TestMessages::Clear();
    Sender sender;
    QString seen;
    QObject::connect(&sender, &Sender::Named, &sender,
                     Guarded(TestMessages::Prompts(), [&](const QString& name) {
                         seen = name;
                         throw std::runtime_error("Error reading " + name.toStdString());
                     }));
    emit sender.Named("set.inv");
    EXPECT_EQ(seen, "set.inv");

    int fired = 0;
    auto* doomed = new QObject;
    QObject::connect(doomed, &QObject::destroyed, &sender, Guarded(TestMessages::Prompts(), [&] {
                         ++fired;
                         throw 7;
                     }));
    delete doomed;
    EXPECT_EQ(fired, 1) << "a handler without parameters runs for a signal with them";
    EXPECT_EQ(TestMessages::Shown(), (QStringList{"Error reading set.inv", "Unexpected error"}));
}

#include "guarded_test.moc"
