// Automatic mode on the main window: the download client, the category catalog and the step.
#include "main.h"

#include "app/forms.h"
#include "automode/catalog.h"
#include "automode/fetch.h"
#include "common/context.h"
#include "common/paths.h"
#include "common/settingstable.h"
#include "common/textlist.h"
#include "common/timer.h"
#include "online/download.h"
#include "online/preview.h"
#include "settings/settings.h"
#include "statusbar.h"
#include "trayicon.h"
#include "windows/previewbox.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QProgressBar>
#include <QPushButton>

namespace {

// The download client as the automatic mode sees it.
class MainDownloader final : public FileDownloader {
public:
    explicit MainDownloader(HttpClient& client) : client_(client) {}
    void DownloadFile(const QString& url, const QString& target, DownloadKind kind) override
    {
        ::DownloadFile(client_, url, target, kind);
    }

private:
    HttpClient& client_;
};

QString dataPath(const AppContext& context, const QString& name)
{
    return context.programPath(QStringLiteral("data/") + name);
}

} // namespace

// What an automatic step needs from the main window and the live settings.
class TForm1::AutoStepHost final : public AutoFetchHost {
public:
    AutoStepHost(TForm1& main, const LiveSettings& settings)
        : main_(main), settings_(settings), http_(*main.IdHTTP1)
    {
    }
    FileDownloader& http() override { return http_; }
    const QStringList& categoryCodes() const override { return main_.CategoryCodes; }
    QStringList& pendingList() override { return main_.PendingList; }
    bool balloonsDisabled() const override { return main_.balloonsDisabled(); }
    void showBalloon(const QString& text) override { main_.ShowBalloon(text); }
    void showFailureText(const QString& text) override { main_.showStepFailure(text); }
    void clearBalloon() override { main_.TrayIcon1->clearBalloon(); }
    void setTrayAnimated(bool animated) override { main_.TrayIcon1->setAnimated(animated); }
    void disableReloadCommands() override
    {
        main_.button4->setEnabled(false);
        main_.ReloadWallpaper1->setEnabled(false);
    }
    void setCaptionText(const QString& text) override { main_.StatusBar1->setPanelText(2, text); }
    void setManagedPositionHint(int hint) override { main_.ManagedPositionHint = hint; }
    QSize previewSize() const override { return main_.Image1->boxSize(); }
    void showPreview(const QImage& preview) override { main_.Image1->setPicture(preview); }
    void startTidyUp() override { main_.Timer3->setEnabled(true); }
    void resetProgress() override { main_.StatusBar1->ProgressBar1->setValue(0); }
    void enableFavourites() override
    {
        main_.BitBtn7->setEnabled(true);
        main_.AddtoFavorites1->setEnabled(true);
    }
    QString tempCacheLimit() const override { return settings_.tempCacheLimit(); }

private:
    TForm1& main_;
    const LiveSettings& settings_;
    MainDownloader http_;
};

TForm1::~TForm1() = default;

void TForm1::createHttpClient()
{
    IdHTTP1 = std::make_unique<HttpClient>();
    httpProgress_ = std::make_unique<StatusBarProgress>(*StatusBar1->ProgressBar1);
    IdHTTP1->setProgress(httpProgress_.get());
    IdHTTP1->setPump([] { QCoreApplication::processEvents(); });
}

QString TForm1::fetchFirstLine(const QString& url, const QString& target)
{
    return ::FetchFirstLine(*IdHTTP1, url, target);
}

void TForm1::FetchAutoWallpaper()
{
    runStep([this] {
        clearStepFailure();
        const LiveSettings& settings = *liveSettings();
        AutoStepHost host(*this, settings);
        ::FetchAutoWallpaper(context.platform, settings, host);
    });
}

void TForm1::fetchWallpaperWhenIdle()
{
    runWhenIdle([this] { FetchAutoWallpaper(); });
}

void TForm1::clearPendingList() { PendingList.clear(); }

void TForm1::selectCategory(int index) { ComboBox2->setCurrentIndex(index); }

int TForm1::selectedCategory() const { return ComboBox2->currentIndex(); }

void TForm1::LoadCategoryCodes()
{
    MainDownloader http(*IdHTTP1);
    RefreshCatalogFile(http, dataPath(context, QStringLiteral("cat.tsl")),
                       dataPath(context, QStringLiteral("cat1.tsl")),
                       QStringLiteral("/wallpapers/cat.tsl"), CatalogLines::Codes);
    CategoryCodes = readCategoryCodes(dataPath(context, QStringLiteral("cat.tsl")));
}

void TForm1::LoadCategoryNames()
{
    MainDownloader http(*IdHTTP1);
    RefreshCatalogFile(http, dataPath(context, QStringLiteral("profiles.tsl")),
                       dataPath(context, QStringLiteral("profiles1.tsl")),
                       QStringLiteral("/profiles_new.tsl"), CatalogLines::Names);
    ComboBox2->clear();
    ComboBox2->addItems(readTextList(dataPath(context, QStringLiteral("profiles.tsl"))));
}

bool TForm1::ReloadPendingList(const QString& failureText, bool clearFirst)
{
    try {
        MainDownloader http(*IdHTTP1);
        ::ReloadPendingList(http, CategoryCodes, PendingList, clearFirst);
        return false;
    } catch (const std::exception&) {
        if (balloonsDisabled())
            return false;
        ShowBalloon(failureText);
        return true;
    }
}

void TForm1::RefreshCatalog()
{
    if (stepRunning_) {
        // A step is waiting for a download: the catalog is refreshed right after it.
        catalogRefreshDeferred_ = true;
        return;
    }
    runStep([this] {
        MainDownloader http(*IdHTTP1);
        RefreshCatalogFile(http, dataPath(context, QStringLiteral("cat.tsl")),
                           dataPath(context, QStringLiteral("cat1.tsl")),
                           QStringLiteral("/wallpapers/cat.tsl"), CatalogLines::Codes);
        ReloadPendingList(QStringLiteral("Can not retrive wallpaper lists. Check your Internet "
                                         "Connection or."),
                          true);
        RefreshCatalogFile(http, dataPath(context, QStringLiteral("profiles.tsl")),
                           dataPath(context, QStringLiteral("profiles1.tsl")),
                           QStringLiteral("/profiles_new.tsl"), CatalogLines::Names);
        // The wizard fills its own list each time it is shown.
        const QStringList names = readTextList(dataPath(context, QStringLiteral("profiles.tsl")));
        refillKeepingChoice(*ComboBox2, names);
        if (forms.Form2)
            forms.Form2->takeCategoryNames(names);
        if (forms.Form8)
            forms.Form8->takeCategoryNames(names);
    });
}

void TForm1::Timer1Timer() { RefreshCatalog(); }

void TForm1::UpdateProfileList1Click() { RefreshCatalog(); }

void TForm1::BitBtn6Click()
{
    runWhenIdle([this, category = ComboBox2->currentIndex()] {
        SettingsFile().setCategory(category);
        forms.Form2->LoadSettings(settingsFilePath());
        PendingList.clear();
        FetchAutoWallpaper();
        BitBtn6->setEnabled(false);
        button4->setEnabled(true);
    });
}
