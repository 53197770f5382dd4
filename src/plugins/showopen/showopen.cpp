// The profile-opening plug-in: the shell starts it with a profile file or a "tapestron:" link as
// its one argument. It adds the profile, tells the user how that went in a desktop notification
// (and on its standard output) and ends with the ImportStatus as its exit code.

#include "profileimport.h"
#include "profilelink.h"

#include "common/strings.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "plugins/importstaging.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

ImportOutcome open(const QStringList& arguments)
{
    if (arguments.size() != 2)
        return {ImportStatus::Refused,
                QStringLiteral("Nothing was added: give one profile file or profile link.")};
    const QString& argument = arguments[1];
    if (!isProgramLink(argument))
        return addLocalProfile(argument);
    if (const auto name = parseProfileLink(argument))
        return importServiceProfile(*name);
    return {ImportStatus::Refused,
            QStringLiteral("Nothing was added: the link does not name a profile.")};
}

} // namespace

int main(int argc, char** argv)
{
    // Asked to end, an import takes its unfinished files with it.
    platform::onTerminationRequest([] { ImportStaging::removeCurrent(); });
    const QCoreApplication application(argc, argv);
    removeStaleImportFolders();
    const ImportOutcome outcome = open(QCoreApplication::arguments());
    std::printf("%s\n", outcome.message.toLocal8Bit().constData());
    std::fflush(stdout);
    // A desktop that can not be told changes nothing about the outcome.
    platform::createShell()->notify("Tapestron", toStd(outcome.message));
    return static_cast<int>(outcome.status);
}
