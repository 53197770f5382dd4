#include "context.h"

#include "platform/files.h"
#include "platform/system.h"
#include "strings.h"

QString AppContext::programDir() const
{
    if (programDirOverride.isEmpty())
        return fromStd(platform::programDir());
    const QChar sep = QLatin1Char(platform::pathSeparator());
    return programDirOverride.endsWith(sep) ? programDirOverride : programDirOverride + sep;
}

QString AppContext::programPath(const QString& name) const { return joinPath(programDir(), name); }

QString AppContext::programExecutablePath() const
{
    // Stored texts (the log-on entry, the protocol command) always name the program by its
    // documented file name, whatever the running file is called.
    return programPath(fromStd(platform::programFileName()));
}
