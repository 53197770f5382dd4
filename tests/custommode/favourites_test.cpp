#include "fixtures.h"

#include "common/errors.h"
#include "common/paths.h"
#include "common/textlist.h"
#include "custommode/favourites.h"
#include "custommode/profiles.h"
#include "wallpaper/bmp.h"
#include "wallpaper/jpeg.h"

#include <QDir>
#include <QFile>

#include <dlfcn.h>
#include <filesystem>

static std::vector<std::string> flushedFiles; // by this process, in order

extern "C" int fsync(int fd)
{
    flushedFiles.push_back(std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd)));
    return reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"))(fd);
}

namespace {

namespace fs = std::filesystem;

class FavouritesTest : public AppFixture {
protected:
    static QString favourite(const QString& name) { return joinPath(favouritesFolder(), name); }
    static QString numbered(int number)
    {
        return favourite("fav_" + favouriteNumberText(number) + ".jpg");
    }
    // Pictures put into the folder by hand, as fav_<from> … fav_<to - 1>, holding their number.
    static void fillByHand(int from, int to)
    {
        for (int number = from; number < to; ++number)
            writeFileBytes(numbered(number).toStdString(), std::to_string(number));
    }
    static QString contentOf(const QString& path)
    {
        return QString::fromStdString(readFileBytes(path.toStdString()));
    }
    static QStringList profile() { return readTextList(profilePath(FavouritesProfile)); }
};

TEST_F(FavouritesTest, EachFavouriteTakesTheLowestFreeNumberAndTheProfileListsTheWholeFolder)
{
    EXPECT_THROW(AddFavourite(), AppError) << "no wallpaper shown yet";
    EXPECT_FALSE(QDir(favouritesFolder()).exists());
    EXPECT_FALSE(QFile::exists(profilePath(FavouritesProfile)));

    QDir().mkpath(userData() + "/Profiles");
    ASSERT_TRUE(QFile::copy(bitmap("current.bmp"), currentBitmapPath()));
    flushedFiles.clear();
    AddFavourite();
    ASSERT_FALSE(flushedFiles.empty()); // the picture goes to the disk before the list naming it
    EXPECT_TRUE(
        flushedFiles[0].starts_with(QDir(favouritesFolder()).canonicalPath().toStdString()));
    const QByteArray jpeg = QByteArray::fromStdString(readFileBytes(numbered(0).toStdString()));
    EXPECT_TRUE(jpeg.contains("\xff\xc0")) << "baseline";
    EXPECT_FALSE(jpeg.contains("\xff\xc2")) << "not progressive";
    EXPECT_EQ(decodeJpeg(numbered(0)).size(), decodeBitmap(currentBitmapPath()).size());
    EXPECT_EQ(profile(), QStringList{numbered(0)});

    for (const int next : {9, 10, 99, 100, 1000}) {
        fillByHand(static_cast<int>(profile().size()), next);
        AddFavourite();
        EXPECT_FALSE(decodeJpeg(numbered(next)).isNull()) << next;
    }
    EXPECT_EQ(favouriteNumberText(7), "007");

    // A gap left by a file deleted outside the program is filled; nothing is overwritten.
    QFile::remove(numbered(42));
    fs::create_directories(favourite("by hand").toStdString());
    writeFileBytes(favourite("by hand/holiday.jpg").toStdString(), "x");
    AddFavourite();
    EXPECT_FALSE(decodeJpeg(numbered(42)).isNull());
    EXPECT_EQ(contentOf(numbered(43)), "43");
    EXPECT_EQ(profile().size(), 1002);
    EXPECT_TRUE(profile().contains(favourite("by hand/holiday.jpg")));
}

TEST_F(FavouritesTest, RenumberingFollowsTheListAndPassesOverAFileThatIsGone)
{
    QDir().mkpath(favouritesFolder());
    fillByHand(0, 3);
    const QStringList order{numbered(2), numbered(0), numbered(1)};
    EXPECT_EQ(RenumberFavourites(order, dialogs).size(), 3);
    EXPECT_EQ(contentOf(numbered(0)), "2");
    EXPECT_EQ(contentOf(numbered(1)), "0");
    EXPECT_EQ(contentOf(numbered(2)), "1");
    EXPECT_TRUE(dialogs.messages.isEmpty());

    const QStringList withAGap{numbered(2), favourite("gone.jpg"), numbered(0)};
    const QStringList after = RenumberFavourites(withAGap, dialogs);
    EXPECT_EQ(dialogs.messages, QStringList{"nope"});
    EXPECT_EQ(contentOf(numbered(0)), "1");
    EXPECT_EQ(contentOf(numbered(2)), "2");
    EXPECT_EQ(contentOf(numbered(1)), "0") << "the unlisted file keeps its name";
    EXPECT_EQ(after.size(), 3);
}

} // namespace
