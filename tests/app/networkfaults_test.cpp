// Every request the program makes, against every way the service can fail it: each ends in the
// program's own failure outcome for that request, soon and without growing memory. Run alone, the
// suite prints its figures at the end.
#include "app/forms.h"
#include "app/main.h"
#include "app/trayicon.h"
#include "common/paths.h"
#include "online/preview.h"
#include "online/samples.h"
#include "online/update.h"
#include "servicefixture.h"
#include "wallpaper/picture.h"
#include "windows/previewbox.h"
#include "windows/wait.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <ostream>
#include <tuple>

namespace {

using std::chrono::milliseconds;

enum class Outcome { Failure, Success, Neither };

const QString StepFailure = QStringLiteral(
    "Can not retrive wallpaper. There is no wallpapers in this category or check your internet "
    "connection.");
const QString StepSuccess = QStringLiteral("New Wallpaper set successfully!");
const QString LatestVersion = QStringLiteral("You have the latest version of Tapestron.");

// Shortened in proportion to the real ones, so that every fault ends within a second or two.
const TransferLimits TextLimits{256 * 1024, 1024, milliseconds(500), milliseconds(2000)};
const TransferLimits PictureLimits{16 << 20, 1024, milliseconds(500), {}};
// How long a held connection would stay silent: far past every limit.
constexpr int HoldMs = 20000;
// 16 bytes every 100 ms is 160 bytes a second; every text the service sends takes over a second.
constexpr int TrickleEveryMs = 100;

struct FaultCase {
    const char* name;
    Fault fault; // Kind::None: the control, which must end in the success outcome
};

const FaultCase Faults[] = {
    {"NotFound", Fault::notFound()},
    {"ServerError", Fault::serverError()},
    {"Reset", Fault::reset()},
    {"CutBody", Fault::cutBody()},
    {"Stall", Fault::stall(HoldMs)},
    {"EndlessBody", Fault::endlessBody()},
    {"HugeLength", Fault::hugeLength(HoldMs)},
    {"Trickle", Fault::trickle(TrickleEveryMs)},
    {"None", Fault{}}, // last, so that what a whole fetch costs stays out of the faults' figures
};

// Names, not bytes, in the names of the cases.
void PrintTo(const FaultCase& fault, std::ostream* out) { *out << fault.name; }

class NetworkFaultTest;

// One request of the program: what to set up, which paths of the service it asks for, how to make
// the program ask, and which outcome it ended in.
struct RequestCase {
    const char* name;
    void (*prepare)(NetworkFaultTest&);
    std::vector<std::string> (*paths)(const WallpaperService&);
    void (*ask)(NetworkFaultTest&);
    Outcome (*outcome)(NetworkFaultTest&);
};

void PrintTo(const RequestCase& request, std::ostream* out) { *out << request.name; }

struct Figures {
    int combinations = 0;
    long long longestMs = 0;
    std::string longest;
    long startedKiB = 0; // the peak once the windows of the first case were up
    long peakKiB = 0;
};
Figures figures;

// The paths of the first category's pictures under folder ("/pictures/", "/samples/").
std::vector<std::string> picturePaths(const WallpaperService& service, const char* folder)
{
    std::vector<std::string> paths;
    const ServiceCategory& all = service.categories().front();
    for (const ServicePicture& picture : all.pictures)
        paths.push_back(std::string(folder) + all.code + "/" + picture.file);
    return paths;
}

long maxResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class NetworkFaultTest : public ServiceFixture,
                         public ::testing::WithParamInterface<std::tuple<FaultCase, RequestCase>> {
public:
    using AppFixture::installProgramFile;
    using AppFixture::userData;
    using ServiceFixture::service;
    using WindowsFixture::forms;

    static void TearDownTestSuite()
    {
        std::printf("network faults: %d combinations, longest to its outcome %lld ms (%s), peak "
                    "resident memory %ld KiB, %ld KiB above the first start\n",
                    figures.combinations, figures.longestMs, figures.longest.c_str(),
                    figures.peakKiB, figures.peakKiB - figures.startedKiB);
    }

    TForm1& main() { return *forms->Form1; }
    QString data(const QString& name) const { return context.programPath("data/" + name); }
    QImage box(int index)
    {
        const std::array<PreviewBox*, 4> boxes{forms->Form8->Image1, forms->Form8->Image2,
                                               forms->Form8->Image3, forms->Form8->Image4};
        return boxes[static_cast<std::size_t>(index)]->picture();
    }
    QImage placeholder() const
    {
        return ShowPreviewScaled(LoadPictureAsBitmap(data("noimg.jpg")), QSize(297, 241));
    }
    static QStringList filesIn(const QString& folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden);
    }
    // The service makes its pictures on first demand, which a loaded machine may take longer for
    // than the shortened limits allow; where the whole request must succeed they are made before
    // the program asks.
    void preparePictures()
    {
        for (const char* folder : {"/pictures/", "/samples/"})
            for (const std::string& path : picturePaths(service, folder))
                service.content(path, service.baseUrl());
    }
    std::string serviceBody(const std::string& path)
    {
        return service.content(path, service.baseUrl()).value_or("<none>");
    }

    QByteArray before; // what a file held before the request
    qsizetype pendingBefore = 0;

    // The catalog rows: an older copy on disk that only a refresh that arrived replaces.
    Outcome catalogOutcome(const QString& name, const std::string& path)
    {
        if (QFile::exists(data(name + ".part")))
            return Outcome::Neither;
        if (bytesOf(data(name)) == before)
            return Outcome::Failure;
        return bytesOf(data(name)).toStdString() == serviceBody(path) ? Outcome::Success
                                                                      : Outcome::Neither;
    }
    void olderCatalog(const QString& name, const QByteArray& content)
    {
        writeFileBytes(data(name).toStdString(), content.toStdString());
        before = content;
    }
    Outcome stepOutcome()
    {
        const QString balloon = main().TrayIcon1->balloon().text;
        if (balloon == StepSuccess)
            return Outcome::Success;
        // Nothing half-fetched stays behind: no list, no picture, no partial download.
        const bool clean =
            !QFile::exists(userDataPath("all")) && filesIn(userData() + "/Temp").isEmpty();
        return balloon == StepFailure && clean ? Outcome::Failure : Outcome::Neither;
    }
};

void noPreparation(NetworkFaultTest&) {}

// Adding a request the program makes is one line here, with the functions it names.
const RequestCase Requests[] = {
    {"CatalogCodes", [](NetworkFaultTest& t) { t.olderCatalog("cat.tsl", "all\r\nolder\r\n"); },
     [](const WallpaperService&) { return std::vector<std::string>{"/wallpapers/cat.tsl"}; },
     [](NetworkFaultTest& t) { t.main().UpdateProfileList1Click(); },
     [](NetworkFaultTest& t) { return t.catalogOutcome("cat.tsl", "/wallpapers/cat.tsl"); }},
    {"CatalogNames",
     [](NetworkFaultTest& t) { t.olderCatalog("profiles.tsl", "All\r\nOlder\r\n"); },
     [](const WallpaperService&) { return std::vector<std::string>{"/profiles_new.tsl"}; },
     [](NetworkFaultTest& t) { t.main().UpdateProfileList1Click(); },
     [](NetworkFaultTest& t) { return t.catalogOutcome("profiles.tsl", "/profiles_new.tsl"); }},
    {"CategoryList", [](NetworkFaultTest& t) { t.main().clearPendingList(); },
     [](const WallpaperService&) { return std::vector<std::string>{"/wallpapers/all"}; },
     [](NetworkFaultTest& t) { t.main().FetchAutoWallpaper(); },
     [](NetworkFaultTest& t) { return t.stepOutcome(); }},
    {"Picture", [](NetworkFaultTest& t) { t.pendingBefore = t.main().pendingList().size(); },
     [](const WallpaperService& s) { return picturePaths(s, "/pictures/"); },
     [](NetworkFaultTest& t) { t.main().FetchAutoWallpaper(); },
     [](NetworkFaultTest& t) {
         // A failed step keeps its entry for a later one.
         const Outcome outcome = t.stepOutcome();
         return outcome != Outcome::Failure || t.main().pendingList().size() == t.pendingBefore
                    ? outcome
                    : Outcome::Neither;
     }},
    {"PreviewList", noPreparation,
     [](const WallpaperService&) { return std::vector<std::string>{"/preview/all"}; },
     [](NetworkFaultTest& t) { t.main().BitBtn10->click(); },
     [](NetworkFaultTest& t) {
         if (t.forms->Form10->isVisible())
             return Outcome::Neither; // still loading
         const QImage placeholder = t.placeholder();
         bool placeholders = true;
         for (int i = 0; i < 4; ++i)
             placeholders = placeholders && t.box(i) == placeholder;
         if (placeholders)
             return Outcome::Failure;
         return !t.box(0).isNull() ? Outcome::Success : Outcome::Neither;
     }},
    {"Sample", noPreparation,
     [](const WallpaperService& s) { return picturePaths(s, "/samples/"); },
     [](NetworkFaultTest& t) { t.main().BitBtn10->click(); },
     [](NetworkFaultTest& t) {
         if (t.forms->Form10->isVisible())
             return Outcome::Neither;
         // The first sample fails, so every box stays empty and no sample is kept.
         bool empty = true;
         for (int i = 0; i < 4; ++i)
             empty = empty && t.box(i).isNull();
         if (empty && t.filesIn(previewFolder()) == QStringList{"all"})
             return Outcome::Failure;
         return !t.box(0).isNull() ? Outcome::Success : Outcome::Neither;
     }},
    {"Version",
     [](NetworkFaultTest& t) {
         t.installProgramFile(TAPESTRON_EXECUTABLE);
         t.service.setVersion("9.9.9.9\r\n" + std::string(400, '#'));
     },
     [](const WallpaperService&) { return std::vector<std::string>{"/version"}; },
     [](NetworkFaultTest& t) { t.forms->Form6->checkAskedForByUser(); },
     [](NetworkFaultTest& t) {
         const QString shown = t.forms->Form6->Label1->text();
         if (!t.forms->Form6->isVisible())
             return Outcome::Neither;
         if (shown == LatestVersion)
             return Outcome::Failure;
         return shown.startsWith("New Version 9.9.9.9 ") ? Outcome::Success : Outcome::Neither;
     }},
};

TEST_P(NetworkFaultTest, EndsInTheFailureOutcomeSoonAndWithinBoundedMemory)
{
    const auto& [fault, request] = GetParam();
    start();
    HttpClient& http = main().http();
    http.setLimits(DownloadKind::Text, TextLimits);
    http.setLimits(DownloadKind::Picture, PictureLimits);
    if (figures.startedKiB == 0)
        figures.startedKiB = maxResidentKiB();
    const bool control = fault.fault.kind == Fault::Kind::None;
    if (control)
        preparePictures();
    request.prepare(*this);
    for (const std::string& path : request.paths(service))
        service.setFault(path, fault.fault);

    const long residentBefore = maxResidentKiB();
    const auto started = std::chrono::steady_clock::now();
    request.ask(*this);
    const long long tookMs =
        std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - started)
            .count();
    const long residentAfter = maxResidentKiB();
    const long growthKiB = residentAfter - residentBefore;

    EXPECT_EQ(request.outcome(*this), control ? Outcome::Success : Outcome::Failure);
    EXPECT_LT(tookMs, 5000);
    if (!UnderAddressSanitizer) { // its quarantine keeps what the request freed
        EXPECT_LT(growthKiB, 64 * 1024);
    }
    if (!control) {
        ++figures.combinations;
        figures.peakKiB = std::max(figures.peakKiB, residentAfter);
        if (tookMs > figures.longestMs) {
            figures.longestMs = tookMs;
            figures.longest = std::string(fault.name) + " on " + request.name;
        }
    }
    service.clearFaults(); // lets held connections go before the windows close
}

INSTANTIATE_TEST_SUITE_P(EveryRequest, NetworkFaultTest,
                         ::testing::Combine(::testing::ValuesIn(Faults),
                                            ::testing::ValuesIn(Requests)),
                         [](const auto& info) {
                             return std::string(std::get<1>(info.param).name) +
                                    std::get<0>(info.param).name;
                         });

} // namespace
