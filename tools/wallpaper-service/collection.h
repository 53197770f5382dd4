#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the wallpaper service offers: categories of pictures, either found in a folder or made up
// by the service itself.

struct ServicePicture {
    std::string file;       // one safe path segment, as it appears in the picture URL
    std::string caption;    // from the file name
    char position = '0';    // '0' = the user's choice, '1'/'2' = fixed placements
    std::string sourcePath; // the file on disk; empty for a generated picture
};

struct ServiceCategory {
    std::string code;
    std::string name;
    std::vector<ServicePicture> pictures;
};

// True when s can be used as it is as one URL path segment and one file name: ASCII letters,
// digits and "-._~@+", not starting with a dot (so neither "." nor ".." nor hidden files), at most
// 128 characters. Everything the service puts into a URL passes this test.
bool isSafeSegment(std::string_view s);

// "Sunset_over-the_bay@1.jpg" -> "Sunset over the bay": the extension and a placement suffix
// ("@1", "@2") dropped, "_" and "-" become blanks.
std::string captionFromFileName(std::string_view file);

// The placement asked for by a "@1"/"@2" suffix before the extension; '0' otherwise.
char positionFromFileName(std::string_view file);

// "image/jpeg" for .jpg/.jpeg, "image/bmp" for .bmp (any case); empty for anything else.
std::string pictureContentType(std::string_view file);

// Each subfolder of root with a safe name and at least one picture is a category (display name:
// the folder name with "_" as blanks); its pictures are the .jpg/.jpeg/.bmp regular files with
// safe names. Symbolic links are ignored so nothing outside root can be reached. Categories and
// pictures are sorted by name. Throws std::runtime_error when root is not a folder.
std::vector<ServiceCategory> scanFolder(const std::string& root);

// The generated collection: the program's 18 categories in their order, 3 or 4 pictures each, the
// last of them a bitmap, the others JPEG.
std::vector<ServiceCategory> demoCategories();
