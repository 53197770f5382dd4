#include "pages.h"

#include "online/galleries.h"

#include <algorithm>

namespace {

constexpr std::size_t SamplesPerCategory = 4;

// The first count samples of category as links to their pictures, for a page from which up leads
// to the site's root.
std::string sampleLinks(const ServiceCategory& category, std::size_t count, const std::string& up)
{
    std::string links = "<p>\n";
    for (std::size_t i = 0; i < std::min(count, category.pictures.size()); ++i) {
        const ServicePicture& picture = category.pictures[i];
        const std::string file = category.code + "/" + picture.file;
        links += "<a href=\"" + up + "pictures/" + file + "\"><img src=\"" + up + "samples/" +
                 file + "\" width=\"297\" height=\"241\" alt=\"" + htmlEscape(picture.caption) +
                 "\" title=\"" + htmlEscape(picture.caption) + "\"></a>\n";
    }
    return links + "</p>\n";
}

} // namespace

std::string htmlEscape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    return out;
}

std::string page(const std::string& title, const std::string& body)
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title +
           "</title></head>\n<body><h1>" + title + "</h1>\n" + body + "</body></html>\n";
}

std::string galleryPath(std::size_t index)
{
    if (index == 0 || index >= static_cast<std::size_t>(GalleryPageCount))
        return {};
    return galleryPagePath(static_cast<int>(index))->toStdString();
}

std::string galleriesPage(const std::vector<ServiceCategory>& categories)
{
    std::string body;
    for (std::size_t i = 0; i < categories.size(); ++i) {
        const std::string name = htmlEscape(categories[i].name);
        const std::string path = galleryPath(i);
        body += "<h2>" +
                (path.empty() ? name : "<a href=\"" + path.substr(1) + "\">" + name + "</a>") +
                "</h2>\n" + sampleLinks(categories[i], SamplesPerCategory, "");
    }
    return page("Galleries", body);
}

std::string galleryPage(const ServiceCategory& category)
{
    return page(htmlEscape(category.name),
                "<p><a href=\"../../galleries.html\">All galleries</a></p>\n" +
                    sampleLinks(category, category.pictures.size(), "../../"));
}
