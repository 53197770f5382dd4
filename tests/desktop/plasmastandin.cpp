// Stands in for the Plasma shell on the session bus: owns its name, keeps every script it is given
// as <folder>/<n>.js, and answers each with the text of <folder>/reply. Started with "--silent" it
// takes scripts and never answers. Writes a line to descriptor 3 once it owns the name.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QObject>

#include <unistd.h>

class Shell : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")

public:
    Shell(QString folder, bool silent) : folder_(std::move(folder)), silent_(silent) {}

public slots:
    QString evaluateScript(const QString& script, const QDBusMessage& message)
    {
        QFile record(folder_ + "/" + QString::number(++count_) + ".js");
        if (record.open(QIODevice::WriteOnly))
            record.write(script.toUtf8());
        if (silent_) {
            message.setDelayedReply(true); // and never sent
            return {};
        }
        QFile reply(folder_ + "/reply");
        return reply.open(QIODevice::ReadOnly) ? QString::fromUtf8(reply.readAll()) : QString();
    }

private:
    QString folder_;
    bool silent_;
    int count_ = 0;
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2)
        return 2;
    Shell shell(arguments[1], arguments.contains("--silent"));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject("/PlasmaShell", &shell, QDBusConnection::ExportAllSlots) ||
        !bus.registerService("org.kde.plasmashell"))
        return 1;
    if (::write(3, "ready\n", 6) != 6)
        return 1;
    return app.exec();
}

#include "plasmastandin.moc"
