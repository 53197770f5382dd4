#pragma once

#include "httpclient.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// The sample pictures of a category, as the preview window shows them: the service's preview
// list names up to four, each kept under UserDataDir\Preview by its file name.

inline constexpr int SampleBoxCount = 4;

// Where the preview window shows what one load brings.
class SampleBoxes {
public:
    virtual ~SampleBoxes() = default;
    // The size every box has.
    virtual QSize boxSize() const = 0;
    // Box 0 to 3 shows picture; a null picture empties it.
    virtual void showInBox(int box, const QImage& picture) = 0;
};

// UserDataDir\Preview: the preview lists and the samples.
QString previewFolder();

// The file a sample URL is kept in: the URL's last segment (after its last "/", "\" or ":") in
// previewFolder(). None when the URL is not http:// or https://, or when that segment is not
// one file name of ours (isSafeFileName): such a sample is never fetched.
std::optional<QString> sampleFile(const QString& url);

// A box-sized picture with sample at its own size, centred (offsets truncated towards zero): a
// larger sample is cut off at the edges, a smaller one leaves the rest of the box transparent.
QImage sampleInBox(const QImage& sample, QSize box);

// Fills the four boxes for category index of codes, first removing the partial downloads a killed
// program left in previewFolder(). The category's preview list is fetched to a file beside its
// copy in previewFolder() and replaces that copy only when it arrived; its first lines name the
// samples, box by box. A box without a line, and every box of a category without a usable code or
// whose list did not arrive, shows the placeholder picture scaled to fit. A sample not kept yet is
// fetched first; one that is kept is never fetched again. All boxes are emptied before the first
// is filled; the first box that can not be filled throws, leaving it and the rest empty, and a
// kept sample that does not decode is deleted so that a later load fetches it again.
void LoadCategorySamples(HttpClient& http, const QStringList& codes, int index,
                         const QString& placeholderPath, SampleBoxes& boxes);
