#include "service.h"

#include "platform/system.h"
#include "strings.h"

QString serviceBaseUrl()
{
    QString url = fromStd(platform::environmentVariable("TAPESTRON_SERVICE_URL").value_or(""));
    if (url.isEmpty())
        url = QStringLiteral(TAPESTRON_DEFAULT_SERVICE_URL);
    while (url.endsWith(u'/'))
        url.chop(1);
    return url;
}
