// Stands in for the desktop's notification service on the session bus: owns its name and appends
// "summary|body" of every notification to <file>, one a line; with a second argument "markup" it
// says it reads markup in the body. Writes a line to descriptor 3 once it owns the name.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <unistd.h>

class Notifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    Notifications(QString file, bool markup) : file_(std::move(file)), markup_(markup) {}

public slots:
    QStringList GetCapabilities()
    {
        return markup_ ? QStringList{"body", "body-markup"} : QStringList{"body"};
    }

    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int)
    {
        QFile record(file_);
        if (record.open(QIODevice::Append))
            record.write((summary + u'|' + body + u'\n').toUtf8());
        return ++count_;
    }

private:
    QString file_;
    bool markup_ = false;
    uint count_ = 0;
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2)
        return 2;
    Notifications notifications(arguments[1], arguments.value(2) == u"markup");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject("/org/freedesktop/Notifications", &notifications,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService("org.freedesktop.Notifications"))
        return 1;
    if (::write(3, "ready\n", 6) != 6)
        return 1;
    return app.exec();
}

#include "notifystandin.moc"
