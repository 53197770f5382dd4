// Times the profile editor on a long profile, in the program's windows with a fresh APPDATA and
// the built program folder: opening the current profile in edit mode (read, sorted, listed, the
// caption set, the window shown and drawn), one picture added to the open list as a drop adds it,
// "Random Sort", the first half of the entries dragged below the last one, every other entry
// removed at once, and "Finish" (the file written, the show list and both profile lists read
// again, the list emptied).
//
//   bench-profileeditor [--entries N] [--runs N]

#include "app/forms.h"
#include "benchsupport.h"
#include "common/context.h"
#include "common/paths.h"
#include "common/textlist.h"
#include "custommode/pedit.h"
#include "custommode/profiles.h"
#include "platform/platform.h"
#include "printingdialogs.h"
#include "wallpaper/desktoppainter.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace bench;

// Paths as a picture collection has them: a few folders, mixed case, in no order.
QStringList collection(int entries)
{
    QStringList paths;
    for (int i = 0; i < entries; ++i)
        paths.append(
            QStringLiteral("C:\\Users\\Someone\\Pictures\\%1\\IMG_%2.%3")
                .arg(i % 3 == 0 ? QStringLiteral("holiday 2023") : QStringLiteral("Garden"))
                .arg(i * 7919 % entries, 5, 10, QLatin1Char('0'))
                .arg(i % 2 == 0 ? QStringLiteral("jpg") : QStringLiteral("JPG")));
    std::shuffle(paths.begin(), paths.end(), *QRandomGenerator::global());
    return paths;
}

void settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// The list's own drag of its selection, dropped below its last entry.
void dropInside(PictureList& list)
{
    const std::unique_ptr<QMimeData> data(
        list.model()->mimeData(list.selectionModel()->selectedIndexes()));
    const QPoint below(5, list.viewport()->height() - 1);
    QDragEnterEvent enter(below, Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(list.viewport(), &enter);
    QDropEvent drop(below, Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(list.viewport(), &drop);
}

struct Figures {
    std::vector<double> open, add, shuffle, drag, remove, finish;
};

} // namespace

int main(int argc, char** argv)
{
    int entries = 10000;
    int runs = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--entries")
            entries = std::max(1, std::atoi(argv[i + 1]));
        else if (std::string(argv[i]) == "--runs")
            runs = std::max(1, std::atoi(argv[i + 1]));
    }
    if (argc % 2 == 0) {
        std::fprintf(stderr, "usage: bench-profileeditor [--entries N] [--runs N]\n");
        return 2;
    }

    QTemporaryDir scratch;
    const std::string dir = scratch.path().toStdString();
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("TAPESTRON_DESKTOP", "none", 1);
    setenv("TAPESTRON_SERVICE_URL", "http://127.0.0.1:9", 1); // nothing listens there
    setenv("APPDATA", (dir + "/appdata").c_str(), 1);
    setenv("TAPESTRON_REGISTRY", (dir + "/registry.reg").c_str(), 1);
    QDir().mkpath(scratch.path() + "/appdata/Tapestron/Profiles");
    const QString name = QStringLiteral("long.tsl");
    writeTextList(settingsFilePath(),
                  {QStringLiteral("[CustomMode]"), QStringLiteral("CurrentProfile=") + name});

    QApplication application(argc, argv);
    PrintingDialogs dialogs("bench-profileeditor");
    platform::Platform system = platform::createPlatform(std::make_shared<DesktopPainter>());
    AppContext context{system, dialogs, QStringLiteral(TAPESTRON_BENCH_PROGRAM_DIR)};
    Forms forms(context);
    if (forms.createWindows() != Forms::Start::Run)
        return 1;
    TForm7& editor = *forms.Form7;

    Figures figures;
    for (int run = 0; run < runs; ++run) {
        writeTextList(profilePath(name), collection(entries));
        Clock::time_point start = Clock::now();
        editor.openForEdit(readProfile(name));
        settle();
        figures.open.push_back(msSince(start));

        start = Clock::now();
        editor.ListBox1->addEntries({QStringLiteral("C:\\Users\\Someone\\Pictures\\new.jpg")});
        settle();
        figures.add.push_back(msSince(start));

        start = Clock::now();
        editor.RandomSort1Click();
        settle();
        figures.shuffle.push_back(msSince(start));

        PictureList& list = *editor.ListBox1;
        list.clearSelection();
        list.selectionModel()->select(
            QItemSelection(list.model()->index(0, 0), list.model()->index(list.count() / 2, 0)),
            QItemSelectionModel::Select);
        start = Clock::now();
        dropInside(list);
        settle();
        figures.drag.push_back(msSince(start));

        list.clearSelection();
        for (int i = 0; i < list.count(); i += 2)
            list.item(i)->setSelected(true);
        start = Clock::now();
        editor.RemoveWallpaper1Click();
        settle();
        figures.remove.push_back(msSince(start));

        const qsizetype kept = list.count();
        start = Clock::now();
        editor.button1Click();
        settle();
        figures.finish.push_back(msSince(start));
        if (readTextList(profilePath(name)).size() != kept || editor.isVisible()) {
            std::fprintf(stderr, "bench-profileeditor: the profile was not saved\n");
            return 1;
        }
    }

    const auto line = [](const char* what, std::vector<double> times) {
        std::printf("  %-34s median %8.1f ms  (min %8.1f, max %8.1f)\n", what, median(times),
                    *std::min_element(times.begin(), times.end()),
                    *std::max_element(times.begin(), times.end()));
    };
    std::printf("Profile editor on a profile of %d entries, %d runs\n", entries, runs);
    line("open in edit mode, shown and drawn", figures.open);
    line("one picture added in its place", figures.add);
    line("Random Sort", figures.shuffle);
    line("half the entries dragged", figures.drag);
    line("every other entry removed", figures.remove);
    line("Finish: saved, lists reloaded", figures.finish);
    return 0;
}
