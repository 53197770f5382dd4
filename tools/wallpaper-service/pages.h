#pragma once

#include "collection.h"

#include <string>
#include <vector>

// The service's web pages. Their links are relative, so a copy of the site works under any
// address and in any folder of a web server.

// text with "&", "<" and ">" written as HTML entities.
std::string htmlEscape(const std::string& text);

// A whole page with title as its title and heading, and body (HTML) below.
std::string page(const std::string& title, const std::string& body);

// "/galleries.html": every category with its first samples, each linked to its picture, and its
// name linked to its gallery page where it has one.
std::string galleriesPage(const std::vector<ServiceCategory>& categories);

// The gallery page of category, at "/galleries/<page code>/galleries.html": all its samples,
// each linked to its picture.
std::string galleryPage(const ServiceCategory& category);

// The path of the gallery page of the category at index ("/galleries/<page code>/galleries.html"),
// or empty when it has none: only the program's 17 categories after "All" have one, and "All"
// has "/galleries.html".
std::string galleryPath(std::size_t index);
