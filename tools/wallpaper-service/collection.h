#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the wallpaper service offers: categories of pictures, either found in a folder or made up
// by the service itself.

struct ServicePicture {
    std::string file;       // the name in the picture URL, which the client accepts (SafeNames)
    std::string caption;    // from the real file name
    char position = '0';    // '0' = the user's choice, '1'/'2' = fixed placements
    std::string sourcePath; // the file on disk; empty for a generated picture
};

struct ServiceCategory {
    std::string code; // the name in the URLs, which the client accepts (SafeNames)
    std::string name; // from the real folder name
    std::vector<ServicePicture> pictures;
};

// A file or folder of a served folder that the service leaves out, and why.
struct SkippedEntry {
    std::string path; // relative to the served folder
    std::string reason;
};

// "Sunset_over-the_bay@1.jpg" -> "Sunset over the bay": the extension and a placement suffix
// ("@1", "@2") dropped, "_" and "-" become blanks. A ";" (which ends the caption in a wallpaper
// list) becomes "," and a control character a blank.
std::string captionFromFileName(std::string_view file);

// The placement asked for by a "@1"/"@2" suffix before the extension; '0' otherwise.
char positionFromFileName(std::string_view file);

// "image/jpeg" for .jpg/.jpeg, "image/bmp" for .bmp (any case); empty for anything else.
std::string pictureContentType(std::string_view file);

// Each subfolder of root with at least one picture is a category (display name: the folder name
// with "_" as blanks); its pictures are the .jpg/.jpeg/.bmp regular files (any case) that hold a
// JPEG or BMP picture. Categories and pictures keep the order of their real names and get names
// from one SafeNames each, so a collection is offered under the same URLs on every run. Hidden
// entries, symbolic links (so nothing outside root can be reached), folders inside a category,
// files beside the categories, other files and unreadable ones are left out and, when skipped is
// given, added to it with the reason. Throws std::runtime_error when root is not a folder.
std::vector<ServiceCategory> scanFolder(const std::string& root,
                                        std::vector<SkippedEntry>* skipped = nullptr);

// The generated collection: the program's 18 categories in their order, 3 or 4 pictures each, the
// last of them a bitmap, the others JPEG.
std::vector<ServiceCategory> demoCategories();
