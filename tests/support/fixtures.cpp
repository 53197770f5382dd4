#include "fixtures.h"

#include "app/forms.h"
#include "common/strings.h"
#include "platform/errors.h"
#include "platform/registry.h"
#include "testpictures.h"

#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

bool ScriptedDialogs::askYesNo(const QString& text)
{
    questions.push_back(text);
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<QColor> ScriptedDialogs::chooseColour(const QColor& initial)
{
    colourDialogs.push_back(initial);
    if (colourAnswers.empty()) {
        ADD_FAILURE() << "unexpected colour dialog";
        return std::nullopt;
    }
    const std::optional<QColor> answer = colourAnswers.front();
    colourAnswers.pop_front();
    return answer;
}

std::optional<QString> ScriptedDialogs::askText(const QString& title, const QString& prompt,
                                                const QString& initial)
{
    textQuestions.push_back(title + u'|' + prompt + u'|' + initial);
    if (textAnswers.empty()) {
        ADD_FAILURE() << "unexpected text question: " << prompt.toStdString();
        throw std::runtime_error("no scripted answer");
    }
    const std::optional<QString> answer = textAnswers.front();
    textAnswers.pop_front();
    return answer;
}

QStringList ScriptedDialogs::chooseFiles(const QString& title, const QString& filter, bool several)
{
    fileDialogs.push_back(title + u'|' + filter +
                          (several ? QStringLiteral("|1") : QStringLiteral("|0")));
    if (fileAnswers.empty()) {
        ADD_FAILURE() << "unexpected file dialog";
        return {};
    }
    const QStringList answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

bool RecordingDesktop::reloadWallpaper(std::uint32_t flags)
{
    calls.push_back({Call::ReloadWallpaper, flags, 0});
    if (duringReload)
        duringReload();
    return !refuse;
}

bool RecordingDesktop::setSysColor(int element, std::uint32_t colour)
{
    calls.push_back({Call::SetSysColor, static_cast<std::uint32_t>(element), colour});
    return true;
}

void RecordingDesktop::broadcastSettingChange() { calls.push_back({Call::Broadcast, 0, 0}); }

bool RefusingRegistry::keyExists(platform::RootKey root, const std::string& key)
{
    return inner_->keyExists(root, key);
}

std::optional<platform::RegistryValue>
RefusingRegistry::readValue(platform::RootKey root, const std::string& key, const std::string& name)
{
    return inner_->readValue(root, key, name);
}

void RefusingRegistry::writeString(platform::RootKey, const std::string&, const std::string& name,
                                   const std::string&)
{
    throw platform::PlatformError("Failed to set data for '" + name + "'");
}

void RefusingRegistry::writeDword(platform::RootKey, const std::string&, const std::string& name,
                                  std::uint32_t)
{
    throw platform::PlatformError("Failed to set data for '" + name + "'");
}

namespace {

// The system's registry and hotkeys with a recording desktop and shell: no case reaches the
// session's real desktop unless it builds one itself.
platform::Platform makeSystem(RecordingDesktop*& desktop, RecordingShell*& shell)
{
    auto recording = std::make_unique<RecordingDesktop>();
    desktop = recording.get();
    auto opener = std::make_unique<RecordingShell>();
    shell = opener.get();
    return platform::Platform{platform::createRegistry(), std::move(recording),
                              platform::createGlobalHotkeys(), std::move(opener)};
}

std::string prepareProgramDir(const TempDir& root)
{
    const fs::path program = fs::path(root.path()) / "program";
    fs::create_directories(program / "plugins");
    fs::copy(TAPESTRON_TEST_DATA_DIR, program / "data", fs::copy_options::recursive);
    return program.string();
}

} // namespace

AppFixture::AppFixture(Dialogs* shownDialogs)
    : appDataEnv("APPDATA", root.file("appdata")),
      registryEnv("TAPESTRON_REGISTRY", root.file("registry.reg")),
      // Nothing listens there: a case that wants a service starts one and points here to it.
      serviceEnv("TAPESTRON_SERVICE_URL", std::string("http://127.0.0.1:9")),
      system(makeSystem(desktop, shell)), context{system, shownDialogs ? *shownDialogs : dialogs,
                                                  fromStd(prepareProgramDir(root))}
{
    fs::create_directories(root.file("appdata"));
    fs::create_directories(root.file("scratch"));
}

AppFixture::~AppFixture() = default;

QString AppFixture::appData() const { return fromStd(root.file("appdata")); }

QString AppFixture::userData() const
{
    fs::create_directories(root.file("appdata/Tapestron"));
    return fromStd(root.file("appdata/Tapestron"));
}

QString AppFixture::programDir() const { return context.programDir(); }

QString AppFixture::tempPath(const QString& name) const
{
    return fromStd(root.file("scratch/")) + name;
}

QString AppFixture::regString(const QString& key, const QString& name) const
{
    const auto value =
        system.registry->readValue(platform::RootKey::CurrentUser, toStd(key), toStd(name));
    if (!value)
        return QString();
    if (const auto* text = std::get_if<std::string>(&*value))
        return fromStd(*text);
    return QString::number(std::get<std::uint32_t>(*value));
}

void AppFixture::writeIni(const std::string& text) const
{
    writeFileBytes((userData() + "/settings.ini").toStdString(), text);
}

void AppFixture::writeProfile(const QString& name, const QStringList& lines) const
{
    fs::create_directories((userData() + "/Profiles").toStdString());
    QByteArray text;
    for (const QString& line : lines)
        text += line.toUtf8() + "\r\n";
    writeFileBytes((userData() + "/Profiles/" + name).toStdString(), text.toStdString());
}

QString AppFixture::bitmap(const QString& name) const
{
    const QString path = tempPath(name);
    makeTestImage(64, 48).convertToFormat(QImage::Format_RGB888).save(path, "BMP");
    return path;
}

void AppFixture::installProgramFile(const QString& source) const
{
    const fs::path target = context.programExecutablePath().toStdString();
    fs::remove(target);
    fs::copy_file(source.toStdString(), target);
}

WindowsFixture::WindowsFixture(Dialogs* shownDialogs) : AppFixture(shownDialogs) {}

WindowsFixture::~WindowsFixture() = default;

Forms& WindowsFixture::start()
{
    forms = std::make_unique<Forms>(context);
    forms->trayHostAvailable = [this] { return trayHost; };
    forms->createWindows();
    return *forms;
}
