#pragma once

#include "common/context.h"
#include "common/dialogs.h"
#include "common/timer.h"
#include "platform/platform.h"
#include "tempenv.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Dialogs whose answers the test scripts; every shown text is kept in order.
class ScriptedDialogs : public Dialogs {
public:
    void showMessage(const QString& text) override { messages.push_back(text); }
    void showError(const QString& text) override { errors.push_back(text); }
    bool askYesNo(const QString& text) override;
    std::optional<QColor> chooseColour(const QColor& initial) override;
    std::optional<QString> askText(const QString& title, const QString& prompt,
                                   const QString& initial) override;
    QStringList chooseFiles(const QString& title, const QString& filter, bool several) override;

    QStringList messages;
    QStringList errors;
    QStringList questions;
    std::deque<bool> answers; // taken in order; a question with no answer left fails the test
    // The colour dialog: the colour each opening started with, and the answers in order (nullopt
    // is Cancel); an opening with no answer left fails the test.
    std::vector<QColor> colourDialogs;
    std::deque<std::optional<QColor>> colourAnswers;
    // Text questions as "title|prompt|initial", and the answers in order (nullopt is Cancel). A
    // question with no answer left fails the test and throws, so a repeated question cannot loop.
    QStringList textQuestions;
    std::deque<std::optional<QString>> textAnswers;
    // File dialogs as "title|filter|several" (1 or 0), and the files chosen in each (empty is
    // Cancel); an opening with no answer left fails the test.
    QStringList fileDialogs;
    std::deque<QStringList> fileAnswers;
};

// A desktop that records what it is told, in order.
class RecordingDesktop : public platform::Desktop {
public:
    struct Call {
        enum Kind { ReloadWallpaper, SetSysColor, Broadcast } kind;
        std::uint32_t a = 0; // flags, or the element
        std::uint32_t b = 0; // the colour
    };
    bool reloadWallpaper(std::uint32_t flags) override;
    bool setSysColor(int element, std::uint32_t colour) override;
    void broadcastSettingChange() override;

    std::vector<Call> calls;
    // Runs inside each reloadWallpaper call, to act in the middle of a step.
    std::function<void()> duringReload;
    bool refuse = false; // reloadWallpaper answers that the desktop did not take the change
};

// A shell that records what it was asked to open instead of opening it; what it tells about files
// comes from the system's shell.
class RecordingShell : public platform::Shell {
public:
    bool open(const std::string& target) override
    {
        opened.push_back(target);
        return true;
    }
    std::optional<std::string> typeName(const std::string& path) override
    {
        return system_->typeName(path);
    }
    bool isExecutable(const std::string& path) override { return system_->isExecutable(path); }
    bool notify(const std::string& title, const std::string& text) override
    {
        notes.push_back(title + "|" + text);
        return true;
    }

    std::vector<std::string> opened;
    std::vector<std::string> notes; // "title|text"

private:
    std::unique_ptr<platform::Shell> system_ = platform::createShell();
};

// A timer engine driven by hand: a test hands it to a window's Timer (Timer::setEngine) and calls
// tick() where the period would end.
class ManualTimerEngine : public TimerEngine {
public:
    void start(int ms) override
    {
        periods.push_back(ms);
        running = true;
    }
    void stop() override { running = false; }

    std::vector<int> periods; // every period started, in order
    bool running = false;
};

// A registry that reads as usual but refuses every change: keys can not be created or opened for
// writing, and value writes throw as the system's refusal does.
class RefusingRegistry : public platform::Registry {
public:
    explicit RefusingRegistry(std::unique_ptr<platform::Registry> inner) : inner_(std::move(inner))
    {
    }
    bool keyExists(platform::RootKey root, const std::string& key) override;
    bool createKey(platform::RootKey, const std::string&) override { return false; }
    std::optional<platform::RegistryValue> readValue(platform::RootKey root, const std::string& key,
                                                     const std::string& name) override;
    void writeString(platform::RootKey, const std::string&, const std::string& name,
                     const std::string&) override;
    void writeDword(platform::RootKey, const std::string&, const std::string& name,
                    std::uint32_t) override;
    bool deleteValue(platform::RootKey, const std::string&, const std::string&) override
    {
        return false;
    }
    bool deleteTree(platform::RootKey, const std::string&) override { return false; }

private:
    std::unique_ptr<platform::Registry> inner_;
};

// A case of its own: a fresh APPDATA, registry file and ProgramDir (a copy of the built data
// folder), the platform built on them with a recording desktop and shell, scripted dialogs (or the
// dialogs given, which the program then shows instead).
class AppFixture : public ::testing::Test {
protected:
    explicit AppFixture(Dialogs* shownDialogs = nullptr);
    ~AppFixture() override;

    QString appData() const;                     // the APPDATA folder
    QString userData() const;                    // APPDATA/Tapestron, created
    QString programDir() const;                  // the ProgramDir copy, ending with "/"
    QString tempPath(const QString& name) const; // a path in the case's scratch folder

    // Registry values of HKEY_CURRENT_USER\<key>, as text ("" when missing; DWORDs in decimal).
    QString regString(const QString& key, const QString& name) const;

    // The settings file, byte for byte.
    void writeIni(const std::string& text) const;
    // A profile of UserDataDir, one line per entry with Windows line ends.
    void writeProfile(const QString& name, const QStringList& lines) const;
    // A small 24-bit bitmap of the test picture in the scratch folder; returns its path.
    QString bitmap(const QString& name) const;
    // The file at source (a built program, or any file) as the program's executable in ProgramDir,
    // under the program's own file name.
    void installProgramFile(const QString& source) const;

    TempDir root;
    ScopedEnv appDataEnv;
    ScopedEnv registryEnv;
    ScopedEnv serviceEnv;
    platform::Platform system;
    RecordingDesktop* desktop; // owned by system
    RecordingShell* shell;     // owned by system
    ScriptedDialogs dialogs;
    AppContext context;
};

struct Forms;

// AppFixture with the program's twelve windows, created in their order with their creation steps
// (without the single-instance check).
class WindowsFixture : public AppFixture {
protected:
    explicit WindowsFixture(Dialogs* shownDialogs = nullptr);
    ~WindowsFixture() override;
    // Creates the windows; cases prepare files first and then call this.
    Forms& start();

    std::unique_ptr<Forms> forms;
    // The desktop's tray host, present unless a case takes it away (offscreen has none).
    bool trayHost = true;
};
