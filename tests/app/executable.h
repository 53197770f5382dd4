#pragma once

#include "fixtures.h"

#include <QProcess>
#include <QString>

#include <memory>

// The real executable, started as a user would, each copy in a program folder of its own, with
// the case's APPDATA, registry file and service address.
class ExecutableFixture : public AppFixture {
protected:
    // A program folder under the case's scratch folder: the executable and a copy of data/.
    // Returns the executable's path.
    QString install(const QString& folder);
    // Starts executable offscreen; its output goes to the test's.
    std::unique_ptr<QProcess> launch(const QString& executable);
    // Kills the process (nothing gets to clean up) and waits for its end.
    static void stop(QProcess& process);
};
