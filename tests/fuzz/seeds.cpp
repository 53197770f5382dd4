// Writes the seed corpora of the fuzz targets into the folder given (tests/fuzz/corpus): valid
// files of every kind the readers know, made by the test suite's own generators, and damaged ones.
//   fuzz_seeds <corpus folder>

#include "testpictures.h"
#include "versionimage.h"

#include "wallpaper/jpeg.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <jpeglib.h>

#include <cstdio>
#include <string>

namespace {

QString corpus;

void seed(const QString& target, const QString& name, const std::string& bytes)
{
    QDir().mkpath(corpus + u'/' + target);
    QFile file(corpus + u'/' + target + u'/' + name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), qint64(bytes.size())) < 0)
        std::fprintf(stderr, "Cannot write %s\n", qPrintable(file.fileName()));
}

std::string readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

std::string bytesOf(const ByteVector& bytes) { return std::string(bytes.begin(), bytes.end()); }

void put32(std::string& d, std::size_t at, std::uint32_t v) { qToLittleEndian(v, d.data() + at); }

// A bitmap with a Windows header of infoSize bytes, then extra (palette or masks) and pixels.
std::string bitmap(int width, int height, int bits, int compression, const std::string& extra,
                   const std::string& pixels, std::uint32_t infoSize = 40)
{
    std::string d(14 + infoSize, '\0');
    d[0] = 'B';
    d[1] = 'M';
    put32(d, 2, std::uint32_t(d.size() + extra.size() + pixels.size()));
    put32(d, 10, std::uint32_t(d.size() + extra.size()));
    put32(d, 14, infoSize);
    put32(d, 18, std::uint32_t(width));
    put32(d, 22, std::uint32_t(height));
    put32(d, 26, 1u + (std::uint32_t(bits) << 16));
    put32(d, 30, std::uint32_t(compression));
    put32(d, 34, std::uint32_t(pixels.size()));
    return d + extra + pixels;
}

std::string palette(int entries)
{
    std::string p;
    for (int i = 0; i < entries; ++i)
        p += {char(i * 37), char(255 - i * 11), char(i * 5), '\0'};
    return p;
}

std::string pixels(int width, int height, int bits)
{
    const int stride = (width * bits + 31) / 32 * 4;
    std::string rows(std::size_t(stride * height), '\0');
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = char(i * 29 + i / 7);
    return rows;
}

std::string masks(std::uint32_t r, std::uint32_t g, std::uint32_t b)
{
    std::string m(12, '\0');
    put32(m, 0, r);
    put32(m, 4, g);
    put32(m, 8, b);
    return m;
}

void bitmaps()
{
    for (const int bits : {1, 4, 8})
        seed("bmp", QStringLiteral("palette%1.bmp").arg(bits),
             bitmap(7, 3, bits, 0, palette(1 << bits), pixels(7, 3, bits)));
    for (const int bits : {16, 24, 32})
        seed("bmp", QStringLiteral("rgb%1.bmp").arg(bits),
             bitmap(5, 3, bits, 0, "", pixels(5, 3, bits)));
    seed("bmp", "topdown24.bmp", bitmap(5, -3, 24, 0, "", pixels(5, 3, 24)));
    seed("bmp", "masks565.bmp",
         bitmap(5, 3, 16, 3, masks(0xF800, 0x07E0, 0x001F), pixels(5, 3, 16)));
    seed("bmp", "masks32.bmp",
         bitmap(4, 2, 32, 3, masks(0xFF000000, 0xFF0000, 0xFF00), pixels(4, 2, 32)));
    // A version 5 header carries its masks itself.
    std::string v5 = bitmap(4, 2, 16, 3, "", pixels(4, 2, 16), 124);
    v5.replace(54, 12, masks(0x7C00, 0x03E0, 0x001F));
    seed("bmp", "v5masks.bmp", v5);
    // Runs, literal pixels, a move, row ends and the end of the picture.
    seed("bmp", "rle8.bmp",
         bitmap(8, 4, 8, 1, palette(256),
                std::string("\x03\x05\x00\x03\x01\x02\x03\x00\x00\x00\x02\x02\x01\x02\x09\x00\x01",
                            17)));
    seed("bmp", "rle4.bmp",
         bitmap(8, 3, 4, 2, palette(16),
                std::string("\x04\x12\x00\x04\x34\x56\x00\x00\x05\x78\x00\x01", 12)));
    // The OS/2 header: 16-bit sizes and 3-byte palette entries.
    std::string core(26, '\0');
    core[0] = 'B';
    core[1] = 'M';
    put32(core, 10, 26 + 3 * 256);
    put32(core, 14, 12);
    qToLittleEndian<quint16>(6, core.data() + 18);
    qToLittleEndian<quint16>(2, core.data() + 20);
    qToLittleEndian<quint16>(1, core.data() + 22);
    qToLittleEndian<quint16>(8, core.data() + 24);
    std::string corePalette;
    for (int i = 0; i < 256; ++i)
        corePalette += {char(i), char(i / 2), char(255 - i)};
    seed("bmp", "os2.bmp", core + corePalette + pixels(6, 2, 8));
    // Damaged: cut short, a height larger than the data, an offset past the end.
    const std::string whole = bitmap(5, 3, 24, 0, "", pixels(5, 3, 24));
    seed("bmp", "truncated.bmp", whole.substr(0, whole.size() - 7));
    seed("bmp", "tall.bmp", bitmap(5, 3000, 24, 0, "", pixels(5, 3, 24)));
    std::string offset = whole;
    put32(offset, 10, 4096);
    seed("bmp", "offset.bmp", offset);
}

// A JPEG written by libjpeg itself in the given colour space, progressive or not.
std::string jpeg(J_COLOR_SPACE space, int components, bool progressive, int restart)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = 19;
    cinfo.image_height = 11;
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 60, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    cinfo.restart_interval = unsigned(restart);
    jpeg_start_compress(&cinfo, TRUE);
    std::string row(std::size_t(19 * components), '\0');
    while (cinfo.next_scanline < cinfo.image_height) {
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] = char(i * 13 + cinfo.next_scanline * 17);
        JSAMPROW rows[] = {reinterpret_cast<JSAMPLE*>(row.data())};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string bytes(reinterpret_cast<const char*>(out), size);
    jpeg_destroy_compress(&cinfo);
    free(out);
    return bytes;
}

void jpegs()
{
    const QString scratch = corpus + QStringLiteral("/.scratch.jpg");
    writeTestJpeg(scratch, 24, 17);
    const std::string baseline = readAll(scratch);
    QFile::remove(scratch);
    seed("jpeg", "baseline.jpg", baseline);
    seed("jpeg", "grey.jpg", jpeg(JCS_GRAYSCALE, 1, false, 0));
    seed("jpeg", "progressive.jpg", jpeg(JCS_RGB, 3, true, 0));
    seed("jpeg", "restarts.jpg", jpeg(JCS_RGB, 3, false, 1));
    seed("jpeg", "cmyk.jpg", jpeg(JCS_CMYK, 4, false, 0));
    seed("jpeg", "truncated.jpg", baseline.substr(0, baseline.size() / 2));
    // A frame header that declares far more rows than the data holds.
    std::string tall = jpeg(JCS_GRAYSCALE, 1, false, 0);
    const std::size_t frame = tall.find("\xFF\xC0");
    tall[frame + 5] = char(0x10);
    seed("jpeg", "tall.jpg", tall);
}

// The INI target reads a section, a key and a value (each ended by "\" and one more character)
// before the file.
void iniFiles()
{
    const std::string write = "Options\\\nInterval\\\n30\\\n";
    seed("inifile", "settings.ini",
         write + "[Options]\r\nInterval=10\r\nCaption=\"  quoted  \"\r\nMode=$1F\r\n[Window]\r\n"
                 "Left=0x20\r\n");
    seed("inifile", "handmade.ini",
         "B\\\nz\\\n3\\\n; made by hand\r\n[A]\r\nx=1\r\n; about y\r\n[Empty]\r\n[B]\nspaced = "
         "as written \n# stray\n");
    seed("inifile", "duplicates.ini",
         "s\\\nk\\\n9\\\n[S]\r\nk=1\r\nk=2\r\n[s]\r\nk=3\r\nonlyLater=4\r\n");
    seed("inifile", "nokeys.ini",
         "s\\\nname3\\\nv\\\nk=outside\r\n[s]\r\nname1=val1\r\nname2=\r\nname3\r\n=nameless\r\n"
         "[unclosed\r\n");
    seed("inifile", "plugins.ini",
         "\xEF\xBB\xBF[Plugins]\r\nCount=2\r\nPlugin1=a.exe\r\n[Plugin1]\r\nName='one'\r\n\x1a");
}

void registryFiles()
{
    const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n";
    seed("regfile", "written.reg",
         head + "[HKEY_CURRENT_USER\\Control Panel]\r\n\r\n"
                "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
                "\"Wallpaper\"=\"C:\\\\x \\\"y\\\".bmp\"\r\n\"EditFlags\"=dword:a0b1c2d3\r\n"
                "@=\"d\"\r\n\"Lines\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\r\n\r\n");
    seed("regfile", "handmade.reg",
         "Windows Registry Editor Version 5.00\n\n; edited by hand\n[HKEY_CURRENT_USER\\Software]"
         "\n\"Text\"=\"a\\\\b \\\"q\\\"\"\n\"Multi\"=hex(1):41,00,0d,00,0a,00,\\\n  42,00,00,00\n"
         "\"Flags\"=dword:0000000A\n\"Binary\"=hex:01,02\na line nobody understands\n"
         "\"Broken=\"unterminated\n\x01\xff\xfe\n@=\"dflt\"\n\"Path\"=hex(2):25,00,41,00,00,00\n"
         "[HKEY_NOWHERE\\Odd]\n\"Kept\"=\"too\"\n[-HKEY_CURRENT_USER\\Gone]\n"
         "[HKEY_CLASSES_ROOT\\.bmp]\n@=\"Paint.Picture\"\n");
    std::string utf16 = "\xFF\xFE";
    for (const char c : head + "[HKEY_CURRENT_USER\\X]\r\n\"N\"=\"W\"\r\n")
        utf16 += std::string{c, '\0'};
    seed("regfile", "export16.reg", utf16);
}

void textLists()
{
    seed("textlist", "profile.lst",
         "/home/user/Pictures/a.jpg\r\n/home/user/Pictures/b.bmp\r\nC:\\Pictures\\c.jpeg\r\n");
    seed("textlist", "catalog.tsl", "nature\r\ncities\nspace\rcars");
    seed("textlist", "blank.lst", "\r\n\n\r\r\n\xe9t\xe9\r\n");
    const std::string list = "http://127.0.0.1:8468/pictures/a.jpg;A caption;2\r\n"
                             "http://127.0.0.1:8468/pictures/b.bmp;none;0\r\n";
    seed("textlist", "wallpapers.lst", list);
    seed("listentry", "entry.txt", "http://127.0.0.1:8468/pictures/mountain.jpg;Mountains;2");
    seed("listentry", "bitmap.txt", "http://example.invalid/x/lake.BMP;none;5");
    seed("listentry", "jpeg.txt", "https://127.0.0.1/p/sea.jpeg;Sea; at night;1");
    seed("listentry", "climb.txt", "http://127.0.0.1/../../settings.ini;..;0");
    seed("listentry", "windows.txt", "C:\\Temp\\..\\cat.tsl.jpg;c:\\x;3");
    seed("listentry", "fields.txt", "a.jpg");
    seed("profilelink", "plain.txt", "tapestron:profile/street");
    seed("profilelink", "authority.txt", "TAPESTRON://profile/Digital%20Art/");
    seed("profilelink", "climb.txt", "tapestron:profile/..%2F..%2Fsettings");
    seed("firstline", "version.txt", "0.2.0.80\r\n");
    seed("firstline", "preview.txt",
         "http://127.0.0.1:8468/samples/a.jpg\rhttp://127.0.0.1:8468/samples/b.jpg\n\n"
         "http://127.0.0.1:8468/samples/c.bmp\r\nhttp://127.0.0.1:8468/samples/d.jpg\r\nmore\r\n");
    seed("firstline", "long.txt", std::string(64, 'v') + "\r\n" + std::string(65, 'w'));
}

void versionResources()
{
    VersionSample sample;
    const ByteVector block = versionBlock(sample);
    seed("versioninfo", "block.bin", bytesOf(block));
    seed("versioninfo", "program.exe", bytesOf(peImage(block)));
    seed("versioninfo", "program.elf", bytesOf(elfImage(".tapestron.version", block)));
    sample.flags = 0x3F;
    sample.type = 3; // a driver, with a subtype
    sample.subtype = 2;
    sample.strings["Comments"] = "\xE2\x82\xAC";
    seed("versioninfo", "driver.exe", bytesOf(peImage(versionBlock(sample))));
    ByteVector damaged = peImage(block);
    putU32(damaged, peLayout::dataEntry + 4, 0xFFFFFF00);
    seed("versioninfo", "damaged.exe", bytesOf(damaged));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <corpus folder>\n");
        return 2;
    }
    corpus = QFile::decodeName(argv[1]);
    bitmaps();
    jpegs();
    iniFiles();
    registryFiles();
    textLists();
    versionResources();
    return 0;
}
