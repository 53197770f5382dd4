#include "common/errors.h"
#include "common/guard.h"
#include "fixtures.h"

namespace {

TEST(GeneralErrorReport, AnEscapingErrorIsShownAndTheHandlerEnds)
{
    ScriptedDialogs dialogs;
    bool after = false;
    runGuarded(dialogs, [&] {
        throw AppError(QStringLiteral("Unable to write to C:\\x.ini"));
        after = true;
    });
    EXPECT_FALSE(after);
    EXPECT_EQ(dialogs.errors, QStringList{QStringLiteral("Unable to write to C:\\x.ini")});

    runGuarded(dialogs, [] { throw 42; });
    EXPECT_EQ(dialogs.errors.size(), 2);

    runGuarded(dialogs, [] {});
    EXPECT_EQ(dialogs.errors.size(), 2);
}

TEST(GeneralErrorReport, GuardedSignalHandlersDropArgumentsTheyDoNotTake)
{
    ScriptedDialogs dialogs;
    int calls = 0;
    auto plain = guarded(dialogs, [&] { ++calls; });
    plain(true);
    auto withArgument = guarded(dialogs, [&](bool checked) { calls += checked ? 10 : 0; });
    withArgument(true);
    auto failing = guarded(dialogs, [](int) { throw std::runtime_error("boom"); });
    failing(1);
    EXPECT_EQ(calls, 11);
    EXPECT_EQ(dialogs.errors, QStringList{QStringLiteral("boom")});
}

} // namespace
