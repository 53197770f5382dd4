#include "executable.h"

#include <QProcessEnvironment>

#include <filesystem>

namespace fs = std::filesystem;

QString ExecutableFixture::install(const QString& folder)
{
    const fs::path dir = fs::path(tempPath(folder).toStdString());
    fs::create_directories(dir);
    fs::copy(TAPESTRON_TEST_DATA_DIR, dir / "data", fs::copy_options::recursive);
    fs::copy_file(TAPESTRON_EXECUTABLE, dir / "tapestron");
    return QString::fromStdString((dir / "tapestron").string());
}

std::unique_ptr<QProcess> ExecutableFixture::launch(const QString& executable)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(executable, {});
    EXPECT_TRUE(process->waitForStarted(10000));
    return process;
}

void ExecutableFixture::stop(QProcess& process)
{
    process.kill();
    process.waitForFinished(10000);
}
